// The unsaved-changes question in its message box: a long file name wraps
// onto a line of its own, and the "?" must go with it.
#include "test_main_window_support.h"

TEST(SaveQuestion, TheQuestionMarkStaysWithTheName)
{
    QString shown;
    QTimer::singleShot(0, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->button(QMessageBox::Cancel)->click();
        }
    });
    stepvane::QtUserInterface ui;
    ui.askSaveChanges(nullptr,
                      stepvane::Message::fromText("Save changes to %s ?", {"Tower_7_rev3.wzd"}));
    EXPECT_EQ(shown, "Save changes to Tower_7_rev3.wzd\u00A0?");
}
