// Helpers of the page and dialog tests, one per shape: a user interface
// whose file dialogs, modal windows and instrument fetches answer from a
// script and which keeps every message (identifier or literal text); the
// recorder of the edit history; a page environment; a registered page on a
// step of its own kind with input as a user gives it (typing into a named
// field, Enter, clicking a named button, choosing in a named list); and a
// fixture with a per-test working-copy folder, sample pictures and a
// save-and-reopen of the wizard.
#pragma once

#include "document/VX_CAAXML_PARSER.h"
#include "document/WorkingCopies.h"
#include "editors/dialogs/CImageDialog.h"
#include "editors/framework/EditRecorder.h"
#include "editors/framework/EditorPage.h"
#include "editors/framework/PageContext.h"
#include "editors/framework/PageRegistry.h"
#include "support/TestFiles.h"
#include "support/WidgetTestSupport.h"
#include "widgets/AppState.h"
#include "widgets/CKiteButton.h"
#include "widgets/CVXEdit.h"
#include "widgets/UserInterface.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>

namespace page_test {

using namespace stepvane;

class ScriptedUi : public UserInterface {
public:
    void report(const Message &message) override
    {
        reports << (message.id.isEmpty() ? message.text() : message.id);
    }
    bool ask(const Message &) override { return false; }
    QString openFile(QWidget *, const QString &title, const QString &filter,
                     const QString &suffix) override
    {
        openTitles << title;
        openFilters << filter;
        openSuffixes << suffix;
        return next(openPaths);
    }
    FileDialogResult saveFile(QWidget *, const QString &title, const QString &, const QString &,
                              const QString &, bool) override
    {
        saveTitles << title;
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
    QStringList openTitles, openFilters, openSuffixes, saveTitles, modalTitles, fetchPaths;
    QStringList openPaths, savePaths; // answers of the next file dialogs
    std::deque<std::function<int(QDialog &)>> modal;
    std::function<bool(QWidget *, const QString &)> fetch;

private:
    static QString next(QStringList &queue)
    {
        return queue.isEmpty() ? QString() : queue.takeFirst();
    }
};

// Keeps what the page framework reports, as the edit history would.
struct RecordingHistory : EditRecorder {
    struct Change {
        TaskStep *step;
        TaskRecord before;
        TaskRecord after;
        Key key;
    };
    void recordChanged(TaskStep &step, TaskRecord before, Key key) override
    {
        changes.push_back({&step, std::move(before), step.record, key});
    }
    void endEdit(Key key) override { ended.push_back(key); }
    std::vector<Change> changes;
    std::vector<Key> ended;
};

// What a page is made with: the application state, the scripted user
// interface, the recorder and a count of task-list redraws.
struct PageEnv {
    AppState state;
    ScriptedUi ui;
    RecordingHistory history;
    int redraws = 0;
    PageContext context{state, ui, [this] { ++redraws; }, &history};
};

inline void showActive(QWidget &w)
{
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
}

// Replaces the field's text as a user does (empty: the text deleted).
inline void retype(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Backspace);
    else
        QTest::keyClicks(edit, text);
}

// "1" for each shown widget, "0" for each hidden one.
inline QString visibility(std::initializer_list<const QWidget *> widgets)
{
    QString out;
    for (const QWidget *w : widgets)
        out += w->isVisible() ? u'1' : u'0';
    return out;
}

inline void press(QAbstractButton *button)
{
    button->click();
    QCoreApplication::processEvents(); // the posted command
}

// A registered page of the kind, shown and bound to a new step of the kind.
struct PageUnderTest : PageEnv {
    TaskStep step;
    std::unique_ptr<EditorPage> page;

    PageUnderTest(TaskKind kind, int model = 2, int unit = kDistanceMeter)
    {
        state.CurrentModelIndex = model, state.CurrentDistanceUnit = unit;
        step = TaskStep(makeDefaultRecord(kind, model, unit));
        const PageRegistration *pages = findPages(builtinPageRegistry(), kind);
        EXPECT_NE(pages, nullptr) << "no page for kind " << kind;
        if (!pages)
            return;
        page.reset(pages->pages.front()(context, nullptr));
        page->Bind(&step);
        showActive(*page);
    }
    ~PageUnderTest()
    {
        page.reset();
        QCoreApplication::processEvents();
    }

    template <typename Record> Record &record() { return *step.as<Record>(); }
    void rebind() { page->Bind(&step); }

    template <typename W = QWidget> W *find(const QString &name) const
    {
        W *w = page->findChild<W *>(name);
        EXPECT_NE(w, nullptr) << "no control named " << name.toStdString();
        return w;
    }
    CVXEdit *edit(const QString &name) const { return find<CVXEdit>(name); }
    CKiteToggleButton *button(const QString &name) const { return find<CKiteToggleButton>(name); }
    QComboBox *list(const QString &name) const { return find<QComboBox>(name); }
    QString text(const QString &name) const
    {
        const QLineEdit *field = find<QLineEdit>(name);
        return field ? field->text() : QStringLiteral("<missing>");
    }
    bool shown(const QString &name) const { return find(name)->isVisible(); }
    QStringList labels() const
    {
        QStringList texts;
        for (const QLabel *label : page->findChildren<QLabel *>())
            texts << label->text();
        return texts;
    }

    // Replaces the field's text keystroke by keystroke (no commit).
    void type(const QString &name, const QString &text)
    {
        CVXEdit *e = edit(name);
        e->setFocus();
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Backspace);
        QTest::keyClicks(e, text);
    }
    // Types and presses Enter.
    void enter(const QString &name, const QString &text)
    {
        type(name, text);
        QTest::keyClick(edit(name), Qt::Key_Return);
    }
    void click(const QString &name)
    {
        CKiteToggleButton *b = button(name);
        QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
        QCoreApplication::processEvents();
    }
    void choose(const QString &name, int position) { list(name)->setCurrentIndex(position); }
    void choose(const QString &name, const QString &entry)
    {
        QComboBox *combo = list(name);
        const int position = combo->findText(entry);
        ASSERT_GE(position, 0) << entry.toStdString();
        combo->setCurrentIndex(position);
    }
};

// Pages on the steps of one sequence of a wizard, with working copies in a
// folder of the test, so tests never see each other's.
class WorkFolderTest : public ::testing::Test, public PageEnv {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(scratch.isValid());
        WorkingCopies::instance().setBaseFolder(scratch.filePath(QStringLiteral("work")));
    }
    QString path(const QString &relative) const { return scratch.filePath(relative); }
    QString workFolder() const { return scratch.filePath(QStringLiteral("work")); }
    TaskStep *addStep(TaskKind kind)
    {
        return sequence->insertStep(-1, makeDefaultRecord(kind, 2, 0));
    }
    // A new step of the kind, bound to the page, which is shown.
    TaskStep *bindNew(EditorPage &page, TaskKind kind)
    {
        TaskStep *step = addStep(kind);
        page.Bind(step);
        page.show();
        return step;
    }

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
        EXPECT_TRUE(test::writeAll(file, bytes));
        return file;
    }

    // Saves the document as a wizard file and reads it back into a new one.
    std::unique_ptr<WizardDocument> saveAndReopen(WizardDocument &doc)
    {
        CollectingMessageSink sink;
        const QString file = path(QStringLiteral("saved%1.wzd").arg(++saves));
        VX_CAAXML_PARSER writer(&doc, state.CurrentModelIndex, &sink);
        EXPECT_TRUE(writer.Save_Wizard(file));
        auto back = std::make_unique<WizardDocument>();
        VX_CAAXML_PARSER reader(back.get(), state.CurrentModelIndex, &sink);
        EXPECT_EQ(reader.Read_Wizard_File(file), 1);
        EXPECT_EQ(sink.texts(), QStringList());
        return back;
    }

    // A script for the next image dialog: attach the picture (when given),
    // type the comment (when given), press OK.
    void scriptImageDialog(const QString &picturePath, const QString &comment)
    {
        ui.modal.push_back([this, picturePath, comment](QDialog &dialog) {
            auto &image = static_cast<CImageDialog &>(dialog);
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
    WizardDocument doc;
    TestingSequence *sequence = doc.appendSequence();
};

} // namespace page_test
