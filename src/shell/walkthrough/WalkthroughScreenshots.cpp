// Sample walk-through windows rendered to images.
#include "shell/walkthrough/WalkthroughScreenshots.h"

#include "document/VX_CAAXML_PARSER.h"
#include "shell/walkthrough/WalkCardView.h"
#include "shell/walkthrough/WalkthroughWindow.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>

namespace stepvane {

namespace {

// A picture with a few shapes, as a technician's photo would stand there.
AttachedImage drawnPicture(const QString &dir, const QString &name, const QString &comment,
                           QColor colour)
{
    QImage image(240, 160, QImage::Format_RGB32);
    image.fill(colour.lighter(170));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(colour);
    p.drawRoundedRect(30, 40, 180, 60, 12, 12);
    p.setBrush(Qt::white);
    p.drawEllipse(QPoint(70, 70), 18, 18);
    p.drawEllipse(QPoint(170, 70), 18, 18);
    p.end();
    const QString path = QDir(dir).filePath(name);
    image.save(path, "PNG");
    return {comment, name, path, Size(QFileInfo(path).size()), image.width(), image.height()};
}

WizardDocument sample(const QString &dir)
{
    WizardDocument doc;
    doc.Title = QStringLiteral("Tower 7 feeder sweep");
    doc.SeqEndOption = 1;
    TestingSequence *s = doc.appendSequence();
    s->Title = QStringLiteral("Sector A");
    PromptTask prompt = std::get<PromptTask>(makeDefaultRecord(TaskPrompt, 2, 0));
    prompt.Description = QStringLiteral("Connect the analyzer");
    prompt.images[0] =
        drawnPicture(dir, "port1.png", "Fit the jumper to port 1", QColor(40, 90, 160));
    prompt.images[1].Comment = QStringLiteral("Torque the connector to 1.1 N m");
    prompt.images[2] = drawnPicture(dir, "mark.png", "Check the torque mark", QColor(40, 140, 70));
    prompt.Move_forward_Mode = 1;
    prompt.DelayTime = 10;
    s->insertStep(-1, prompt);
    s->insertStep(-1, makeDefaultRecord(TaskMeasureMode, 2, 0));
    s->insertStep(-1, makeDefaultRecord(TaskFrequencyDistance, 2, 0));
    LimitTask limit = std::get<LimitTask>(makeDefaultRecord(TaskLimit, 2, 0));
    limit.Description = QStringLiteral("Return loss line");
    limit.Limit_Line_On_Off = 1;
    limit.Move_Limit = -14;
    limit.Pass_Fail = 1;
    limit.Condition_Check = 1;
    limit.images.push_back(drawnPicture(dir, "retorque.png", "Re-torque the jumper and sweep again",
                                        QColor(170, 50, 40)));
    limit.images.push_back({QStringLiteral("Call the supervisor"), {}, {}, 0, 0, 0});
    s->insertStep(-1, limit);
    SaveTask save = std::get<SaveTask>(makeDefaultRecord(TaskSave, 2, 0));
    save.BaseFolderName = QStringLiteral("Tower7");
    save.BaseFileName = QStringLiteral("sectorA");
    s->insertStep(-1, save);
    return doc;
}

QImage grab(WalkthroughWindow &window)
{
    window.setAttribute(Qt::WA_DontShowOnScreen);
    window.show();
    QApplication::processEvents();
    return window.grab().toImage();
}

} // namespace

std::vector<std::pair<QString, QImage>> renderWalkthroughSamples(const QString &folder)
{
    QTemporaryDir pictures;
    WizardDocument doc = sample(pictures.path());
    {
        WizardDocument copy = doc;
        VX_CAAXML_PARSER parser(&copy, 2);
        parser.Save_Wizard(QDir(folder).filePath(QStringLiteral("walkthrough-sample.wzd")));
    }
    std::vector<std::pair<QString, QImage>> shots;
    WalkthroughWindow window(doc, 2);
    window.goTo(0, 0);
    shots.emplace_back(QStringLiteral("walkthrough-prompt"), grab(window));
    window.goTo(0, 3);
    if (QPushButton *fails = window.cardView()->failsButton())
        fails->click();
    shots.emplace_back(QStringLiteral("walkthrough-limit-fails"), grab(window));
    return shots;
}

} // namespace stepvane
