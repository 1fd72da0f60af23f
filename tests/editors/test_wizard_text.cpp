// Texts a wizard file cannot hold never reach a record: every text field of
// every page and page dialog drops such characters when they are pasted
// (Shift+Insert and Ctrl+V), keeps the rest, says why, and the wizard that
// holds the steps is written and read back.
#include "PageTestSupport.h"

#include "common/XmlText.h"
#include "editors/PageScreenshots.h"
#include "widgets/FieldNote.h"
#include "widgets/TextFieldRules.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QVBoxLayout>

using namespace page_test;

namespace {

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

class WizardText : public WorkFolderTest {};

TEST_F(WizardText, EveryPageFieldDropsWhatAWizardCannotHold)
{
    int turn = 0;
    int fieldsTried = 0;
    for (const PageRegistration &registration : builtinPageRegistry()) {
        TaskStep *step = addStep(registration.kind);
        for (const PageFactory &make : registration.pages) {
            QDialog host;
            auto *layout = new QVBoxLayout(&host);
            EditorPage *page = make(context, &host);
            layout->addWidget(page);
            page->Bind(step);
            showActive(host);
            SCOPED_TRACE(page->metaObject()->className());
            for (QLineEdit *field : editableFields(page)) {
                pasteEveryClass(field, turn);
                ++fieldsTried;
            }
            page->Bind(nullptr);
        }
    }
    EXPECT_GT(fieldsTried, 40);
    // What the records hold is written and read back (the reader refuses a
    // character XML cannot hold), the pasted texts as the fields kept them.
    const std::unique_ptr<WizardDocument> back = saveAndReopen(doc);
    ASSERT_EQ(back->sequenceCount(), 1);
    ASSERT_EQ(back->sequences[0]->stepCount(), sequence->stepCount());
    for (int i = 0; i < sequence->stepCount(); ++i)
        EXPECT_EQ(stepDescription(*back->sequences[0]->step(i)), "AB");
}

TEST_F(WizardText, EveryPageDialogFieldDropsWhatAWizardCannotHold)
{
    int turn = 0;
    for (const DialogSample &sample : dialogSamples()) {
        SCOPED_TRACE(sample.name.toStdString());
        std::unique_ptr<QWidget> dialog = sample.make(ui);
        showActive(*dialog);
        for (QLineEdit *field : editableFields(dialog.get()))
            pasteEveryClass(field, turn);
    }
}

} // namespace
