// Helpers of the tests of the pages and dialogs that attach files: a user
// interface whose file dialogs, modal windows and instrument fetches answer
// from a script and which keeps every message (identifier or literal text),
// the recorder of the edit history, a per-test working-copy folder, sample
// pictures and a save-and-reopen of the wizard.
#pragma once

#include "document/VX_CAAXML_PARSER.h"
#include "document/WorkingCopies.h"
#include "editors/dialogs/CImageDialog.h"
#include "editors/framework/EditRecorder.h"
#include "editors/framework/PageContext.h"
#include "support/TestFiles.h"
#include "widgets/AppState.h"
#include "widgets/UserInterface.h"

#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>

namespace pagetest {

class ScriptedUi : public stepvane::UserInterface {
public:
    void report(const stepvane::Message &message) override
    {
        reports << (message.id.isEmpty() ? message.text() : message.id);
    }
    bool ask(const stepvane::Message &) override { return false; }
    QString openFile(QWidget *, const QString &title, const QString &filter,
                     const QString &suffix) override
    {
        openTitles << title;
        openFilters << filter;
        openSuffixes << suffix;
        return next(openPaths);
    }
    FileDialogResult saveFile(QWidget *, const QString &title, const QString &filter,
                              const QString &, const QString &, bool) override
    {
        saveTitles << title;
        saveFilters << filter;
        FileDialogResult result;
        result.path = next(savePaths);
        return result;
    }
    bool askPassword(QWidget *, QString &) override { return false; }
    // Each modal window is handed to the next script entry, which works it
    // (shown, not exec'd) and returns its result; none left: "rejected".
    int runModal(QDialog &dialog) override
    {
        modalTitles << dialog.windowTitle();
        if (modal.empty())
            return QDialog::Rejected;
        const auto script = modal.front();
        modal.pop_front();
        dialog.show();
        const int result = script(dialog);
        dialog.hide();
        return result;
    }
    bool fetchSetupFromInstrument(QWidget *parent, const QString &savePath) override
    {
        fetchPaths << savePath;
        return fetch ? fetch(parent, savePath) : false;
    }

    QStringList reports;
    QStringList openTitles, openFilters, openSuffixes, saveTitles, saveFilters, modalTitles,
        fetchPaths;
    std::deque<QString> openPaths, savePaths;
    std::deque<std::function<int(QDialog &)>> modal;
    std::function<bool(QWidget *, const QString &)> fetch;

private:
    static QString next(std::deque<QString> &queue)
    {
        if (queue.empty())
            return QString();
        QString value = queue.front();
        queue.pop_front();
        return value;
    }
};

// Keeps what the page framework reports, as the edit history would.
struct RecordingHistory : stepvane::EditRecorder {
    void recordChanged(stepvane::TaskStep &, stepvane::TaskRecord, Key) override { ++changes; }
    void endEdit(Key) override {}
    int changes = 0;
};

// Working copies go to a folder of the test, so tests never see each other's.
class WorkFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(scratch.isValid());
        stepvane::WorkingCopies::instance().setBaseFolder(scratch.filePath(QStringLiteral("work")));
    }
    QString path(const QString &relative) const { return scratch.filePath(relative); }
    QString workFolder() const { return scratch.filePath(QStringLiteral("work")); }

    // A picture of the given size and colour, saved in the format of the
    // name's extension (jpg/jpeg or png); folders are made as needed.
    QString picture(const QString &relative, int width, int height, QRgb colour)
    {
        const QString file = path(relative);
        QDir().mkpath(QFileInfo(file).absolutePath());
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(colour);
        const bool jpeg =
            file.endsWith(QLatin1String(".jpg")) || file.endsWith(QLatin1String(".jpeg"));
        EXPECT_TRUE(image.save(file, jpeg ? "JPEG" : "PNG"));
        return file;
    }
    QString textFile(const QString &relative, const QByteArray &bytes)
    {
        const QString file = path(relative);
        QDir().mkpath(QFileInfo(file).absolutePath());
        EXPECT_TRUE(stepvane::test::writeAll(file, bytes));
        return file;
    }

    // Saves the document as a wizard file and reads it back into a new one.
    std::unique_ptr<stepvane::WizardDocument> saveAndReopen(stepvane::WizardDocument &doc)
    {
        stepvane::CollectingMessageSink sink;
        const QString file = path(QStringLiteral("saved%1.wzd").arg(++saves));
        stepvane::VX_CAAXML_PARSER writer(&doc, state.CurrentModelIndex, &sink);
        EXPECT_TRUE(writer.Save_Wizard(file));
        auto back = std::make_unique<stepvane::WizardDocument>();
        stepvane::VX_CAAXML_PARSER reader(back.get(), state.CurrentModelIndex, &sink);
        EXPECT_EQ(reader.Read_Wizard_File(file), 1);
        EXPECT_EQ(sink.texts(), QStringList());
        return back;
    }

    // A script for the next image dialog: attach the picture (when given),
    // type the comment (when given), press OK.
    void scriptImageDialog(const QString &picturePath, const QString &comment)
    {
        ui.modal.push_back([this, picturePath, comment](QDialog &dialog) {
            auto &image = static_cast<stepvane::CImageDialog &>(dialog);
            if (!picturePath.isEmpty()) {
                ui.openPaths.push_back(picturePath);
                image.attachButton()->click();
            }
            if (!comment.isEmpty()) {
                image.commentField()->selectAll();
                QTest::keyClicks(image.commentField(), comment);
            }
            image.okButton()->click();
            return dialog.result();
        });
    }

    QTemporaryDir scratch;
    int saves = 0;
    stepvane::AppState state;
    ScriptedUi ui;
    RecordingHistory history;
    stepvane::PageContext context{state, ui, {}, &history};
};

} // namespace pagetest
