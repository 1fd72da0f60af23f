// Every page and page dialog by keyboard: Tab visits the controls in the
// order the eye reads them, every control has a name a screen reader says,
// Enter never presses a page's button, and Enter in the tag table edits the
// cell instead of closing the dialog. And texts a wizard file cannot hold
// never reach a record: every text field of every page and page dialog drops
// such characters when they are pasted (Shift+Insert and Ctrl+V), keeps the
// rest, says why, and the wizard that holds the steps is written and read back.
#include "PageTestSupport.h"

#include "common/XmlText.h"
#include "editors/PageScreenshots.h"
#include "editors/dialogs/CTallyvaultDlg.h"
#include "widgets/FieldNote.h"
#include "widgets/TextFieldRules.h"

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QClipboard>
#include <QSignalSpy>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace page_test;

namespace {

bool isInternal(const QWidget *w, const QWidget *root)
{
    if (w->focusProxy())
        return true;
    for (const QWidget *p = w->parentWidget(); p && p != root; p = p->parentWidget())
        if (qobject_cast<const QComboBox *>(p) || qobject_cast<const QAbstractSpinBox *>(p))
            return true;
    return false;
}

QString describe(const QWidget *w)
{
    return QStringLiteral("%1 \"%2\"").arg(w->metaObject()->className(), w->objectName());
}

// Focusable controls a screen reader finds no name for.
QStringList unnamed(const QWidget *root)
{
    QStringList missing;
    for (QWidget *w : root->findChildren<QWidget *>()) {
        if (!(w->focusPolicy() & Qt::TabFocus) || isInternal(w, root))
            continue;
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(w);
        if (!face || face->text(QAccessible::Name).trimmed().isEmpty())
            missing << describe(w);
    }
    return missing;
}

// The controls Tab reaches inside root, in the order it reaches them.
std::vector<QWidget *> tabOrder(QWidget *root)
{
    std::vector<QWidget *> order;
    for (QWidget *w = root->nextInFocusChain(); w && w != root; w = w->nextInFocusChain())
        if (root->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isVisible() &&
            w->isEnabled() && !isInternal(w, root))
            order.push_back(w);
    return order;
}

// Pairs where Tab goes back up the page, or left along a row.
QStringList readingOrderBreaks(QWidget *root)
{
    QStringList breaks;
    std::vector<QWidget *> order = tabOrder(root);
    const auto box = [root](QWidget *w) { return QRect(w->mapTo(root, QPoint()), w->size()); };
    // Tab goes round in a ring: read it from the control at the top left.
    const auto first = std::min_element(order.begin(), order.end(), [&](QWidget *a, QWidget *b) {
        return std::pair(box(a).top(), box(a).left()) < std::pair(box(b).top(), box(b).left());
    });
    std::rotate(order.begin(), first, order.end());
    for (size_t i = 1; i < order.size(); ++i) {
        const QRect a = box(order[i - 1]), b = box(order[i]);
        const bool above = b.bottom() < a.top();
        const bool sameRow = b.top() <= a.bottom() && a.top() <= b.bottom();
        if (above || (sameRow && b.right() < a.left()))
            breaks << describe(order[i - 1]) + " -> " + describe(order[i]);
    }
    return breaks;
}

using PageCheck = std::function<void(QDialog &, EditorPage &)>;

// Every page of the registry inside a dialog (as the task editor holds it),
// bound to the step stepOf gives for its kind, or else to a new one, and shown.
void forEveryPage(PageContext &context, const PageCheck &check,
                  const std::function<TaskStep *(TaskKind)> &stepOf = {})
{
    for (const PageRegistration &registration : builtinPageRegistry()) {
        TaskStep own(
            makeDefaultRecord(registration.kind, context.state.CurrentModelIndex, kDistanceMeter));
        TaskStep *step = stepOf ? stepOf(registration.kind) : &own;
        for (const PageFactory &make : registration.pages) {
            QDialog host;
            auto *layout = new QVBoxLayout(&host);
            EditorPage *page = make(context, &host);
            layout->addWidget(page);
            page->Bind(step);
            host.show();
            SCOPED_TRACE(page->metaObject()->className());
            check(host, *page);
        }
    }
}

void forEveryPage(int model, const PageCheck &check)
{
    PageEnv env;
    env.state.CurrentModelIndex = model;
    forEveryPage(env.context, check);
}

const struct {
    const char *name;
    QString unsafe;
} kUnsafe[] = {{"C0 control", QString(QChar(0x01))},
               {"escape", QString(QChar(0x1B))},
               {"NUL", QString(QChar(0x00))},
               {"U+FFFE", QString(QChar(0xFFFE))},
               {"U+FFFF", QString(QChar(0xFFFF))},
               {"lone high surrogate", QString(QChar(0xD800))},
               {"lone low surrogate", QString(QChar(0xDC00))}};

std::vector<QLineEdit *> editableFields(QWidget *root)
{
    std::vector<QLineEdit *> fields;
    for (QLineEdit *field : root->findChildren<QLineEdit *>())
        if (field->isVisible() && field->isEnabled() && !field->isReadOnly())
            fields.push_back(field);
    return fields;
}

class WizardText : public WorkFolderTest {};

// Pastes "A<unsafe>B" over the whole text, by the paste key of turn, and
// checks what the field kept and said.
void pasteEveryClass(QLineEdit *field, int &turn)
{
    for (const auto &c : kUnsafe) {
        SCOPED_TRACE(c.name);
        QGuiApplication::clipboard()->setText(QStringLiteral("A") + c.unsafe + QStringLiteral("B"));
        field->setFocus();
        field->selectAll();
        if (turn++ % 2 == 0)
            QTest::keyClick(field, Qt::Key_Insert, Qt::ShiftModifier);
        else
            QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        EXPECT_TRUE(isXmlSafeText(field->text())) << field->objectName().toStdString();
        EXPECT_EQ(field->text(), "AB") << field->objectName().toStdString();
        const FieldNote *note = FieldNote::of(field);
        EXPECT_TRUE(note && note->text() == unsafeTextNote()) << field->objectName().toStdString();
        // A number field hears of a paste at its next key.
        QTest::keyClick(field, Qt::Key_End);
    }
}

TEST_F(WizardText, EveryPageAndPageDialogFieldDropsWhatAWizardCannotHold)
{
    int turn = 0;
    int fieldsTried = 0;
    const auto stepOf = [this](TaskKind kind) { return addStep(kind); };
    forEveryPage(
        context,
        [&](QDialog &host, EditorPage &page) {
            showActive(host);
            for (QLineEdit *field : editableFields(&page)) {
                pasteEveryClass(field, turn);
                ++fieldsTried;
            }
            page.Bind(nullptr);
        },
        stepOf);
    EXPECT_GT(fieldsTried, 40);
    // What the records hold is written and read back (the reader refuses a
    // character XML cannot hold), the pasted texts as the fields kept them.
    const std::unique_ptr<WizardDocument> back = saveAndReopen(doc);
    ASSERT_EQ(back->sequenceCount(), 1);
    ASSERT_EQ(back->sequences[0]->stepCount(), sequence->stepCount());
    for (int i = 0; i < sequence->stepCount(); ++i)
        EXPECT_EQ(stepDescription(*back->sequences[0]->step(i)), "AB");

    // And every field of every page dialog.
    for (const DialogSample &sample : dialogSamples()) {
        SCOPED_TRACE(sample.name.toStdString());
        std::unique_ptr<QWidget> dialog = sample.make(ui);
        showActive(*dialog);
        for (QLineEdit *field : editableFields(dialog.get()))
            pasteEveryClass(field, turn);
    }
}

} // namespace

TEST(PageKeyboard, TabFollowsTheRowsAndEveryControlHasAName)
{
    for (int model : {0, 3})
        forEveryPage(model, [](QDialog &, EditorPage &page) {
            EXPECT_EQ(readingOrderBreaks(&page).join("; ").toStdString(), "");
            EXPECT_EQ(unnamed(&page).join("; ").toStdString(), "");
        });
    taskeditor_test::FakeUi ui;
    for (const DialogSample &sample : dialogSamples()) {
        SCOPED_TRACE(sample.name.toStdString());
        std::unique_ptr<QWidget> dialog = sample.make(ui);
        dialog->show();
        EXPECT_EQ(readingOrderBreaks(dialog.get()).join("; ").toStdString(), "");
        EXPECT_EQ(unnamed(dialog.get()).join("; ").toStdString(), "");
    }
}

TEST(PageKeyboard, TabFromStopFrequencyGoesOnDownThePage)
{
    PageUnderTest t(TaskFrequencyDistance);
    CVXEdit *stop = t.edit("Stop_Frequency");
    stop->setFocus();
    QTest::keyClick(stop, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "Start distance");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "Stop frequency");
    EXPECT_EQ(stop->accessibleName(), "Stop frequency");
}

// Every button of every page is on the Tab path and pressed by Enter and by
// Space while it has the focus (once each), and the page's window stays.
TEST(PageKeyboard, EveryPageButtonIsReachedByTabAndPressedByEnterAndSpace)
{
    int buttons = 0;
    forEveryPage(2, [&](QDialog &host, EditorPage &page) {
        host.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
        for (QAbstractButton *button : page.findChildren<QAbstractButton *>()) {
            if (!button->isVisible() || !button->isEnabled())
                continue;
            ++buttons;
            SCOPED_TRACE(describe(button).toStdString());
            // Buttons shown by an earlier click are on the path too.
            const std::vector<QWidget *> order = tabOrder(&page);
            EXPECT_NE(std::find(order.begin(), order.end(), button), order.end()) << "not on Tab";
            for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
                if (!button->isVisible())
                    break; // a radio pair hides what the other choice shows
                QSignalSpy clicks(button, &QAbstractButton::clicked);
                button->setFocus(Qt::TabFocusReason);
                QTest::keyClick(button, key,
                                key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
                EXPECT_EQ(clicks.count(), 1) << "key " << key;
                EXPECT_TRUE(host.isVisible());
            }
        }
    });
    EXPECT_GT(buttons, 40);
}

// The image dialog's name field shows the picture's name and takes no
// typing: it looks read-only, Tab passes it by, the dialog opens on Attach.
TEST(PageKeyboard, ImageDialogOpensOnAttachAndItsNameFieldIsShownOnly)
{
    ScriptedUi ui;
    CImageDialog dialog(ui, AttachedImage{{}, "port.png", {}, 0, 0, 0}, true);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    EXPECT_EQ(QApplication::focusWidget(), dialog.attachButton());
    EXPECT_TRUE(dialog.imageField()->isReadOnly());
    const std::vector<QWidget *> order = tabOrder(&dialog);
    EXPECT_EQ(std::find(order.begin(), order.end(), dialog.imageField()), order.end());
    EXPECT_EQ(dialog.imageField()->palette().color(QPalette::Base),
              dialog.palette().color(QPalette::Window))
        << "it does not look like a field to type into";
    QTest::keyClick(dialog.attachButton(), Qt::Key_Return); // the file dialog is cancelled
    EXPECT_EQ(ui.openTitles.size(), 1) << "Enter on Attach opens the file dialog";
}

TEST(PageKeyboard, EnterInTheTagTableEditsAndCommitsTheCell)
{
    CTallyvaultDlg dialog(TagTexts{"Tower7", "", "", "", "", "", ""});
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    auto *table = dialog.findChild<QTableWidget *>("tags");
    auto *value = dialog.findChild<QLineEdit *>("tagValue");
    table->setFocus();
    table->setCurrentCell(2, 0);
    QTest::keyClick(table, Qt::Key_Return);
    ASSERT_TRUE(dialog.isVisible()) << "Enter on a row does not close the dialog";
    ASSERT_TRUE(value->isVisible());
    EXPECT_TRUE(value->hasFocus());
    QTest::keyClicks(value, "SITE-9");
    QTest::keyClick(value, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible()) << "nor does Enter in the value";
    EXPECT_FALSE(value->isVisible());
    EXPECT_EQ(table->item(2, 1)->text(), "SITE-9");
    EXPECT_TRUE(table->hasFocus());
    EXPECT_EQ(dialog.values()[0], "Tower7");
}
