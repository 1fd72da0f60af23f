// What the fleet dialog says: a failed row in one sentence, an empty list that
// asks for an instrument, and a proposed name that typing replaces.
#include "test_main_window_support.h"

#include "comm/fleet/FleetMessages.h"

namespace stepvane::test {

TEST(FleetTexts, AFailureIsOneSentenceOfWhatHappened)
{
    const Message sendFailed = Message::fromText("Fail to send file to EQP", {});
    const Message connectFailed = Message::fromId("IDS_CONNECT_FAIL");
    const Message reply =
        Message::fromText("%s : %s", {"Could not connect.", "STR_ERROR_CHECKSUM"});
    const Message done = Message::fromId("IDS_TRANSPORT_COMPLETE", {}, MessageIcon::Information);
    const struct {
        std::vector<Message> messages;
        const char *lastError, *sentence;
    } cases[] = {
        {{sendFailed.withDetail("Write to the instrument failed: Broken pipe")},
         "",
         "the instrument closed the connection"},
        {{sendFailed.withDetail("Connection reset by peer")},
         "",
         "the instrument closed the connection"},
        {{connectFailed},
         "Connection refused",
         "the instrument refused the connection: nothing listens at that address and port"},
        {{connectFailed}, "connection timed out", "the instrument did not answer in time"},
        {{connectFailed}, "STR_ERROR_TIMEOUT", "the instrument did not answer in time"},
        {{connectFailed}, "No route to host", "the instrument cannot be reached on the network"},
        {{connectFailed},
         "cannot resolve nowhere.invalid port 66",
         "the instrument's address cannot be found"},
        {{connectFailed}, "", "could not connect to the instrument"},
        {{reply}, "", "the instrument's reply was garbled"},
        {{done, connectFailed}, "", "could not connect to the instrument"},
        {{Message::fromText("Read file Error", {}, MessageIcon::Error)},
         "",
         "the wizard file could not be read"},
        {{sendFailed.withDetail("Write to the instrument failed: Odd thing. More")},
         "",
         "the instrument did not take the file (write to the instrument failed: Odd thing)"},
        {{}, "", "the transfer failed"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(fleetFailureSentence(c.messages, c.lastError), c.sentence) << c.sentence;
}

TEST(FleetTexts, AnEmptyListAsksForAnInstrument)
{
    saveFleet({});
    FakeUi ui;
    FleetSendDlg dialog(ui);
    dialog.setFilePath("/nowhere/tower.wzd");
    dialog.show();
    EXPECT_TRUE(dialog.summaryLabel()->text().contains(QLatin1String("add one with Add")));
    QTest::mouseClick(dialog.sendButton(), Qt::LeftButton);
    ASSERT_EQ(ui.reports.size(), 1u);
    EXPECT_TRUE(ui.reports[0].text().startsWith(QLatin1String("The list has no instruments yet")));

    // Typing in the Add dialog replaces the proposed name.
    ui.onModal = [](QDialog &d) {
        auto &add = dynamic_cast<FleetInstrumentDlg &>(d);
        d.show();
        EXPECT_EQ(add.nameEdit()->selectedText(), add.nameEdit()->text());
        QTest::keyClicks(add.nameEdit(), "Roof");
        add.addressEdit()->setText("10.0.0.7");
        add.accept();
        return d.result();
    };
    QTest::mouseClick(dialog.addButton(), Qt::LeftButton);
    ASSERT_EQ(dialog.instruments().size(), 1u);
    EXPECT_EQ(dialog.instruments()[0].name, "Roof");
    EXPECT_FALSE(dialog.summaryLabel()->text().contains(QLatin1String("add one")));
    const size_t before = ui.reports.size();
    QTest::mouseClick(dialog.sendButton(), Qt::LeftButton); // the wizard cannot be read
    for (size_t i = before; i < ui.reports.size(); ++i)
        EXPECT_FALSE(ui.reports[i].text().startsWith(QLatin1String("The list has no")));
    saveFleet({});
}

} // namespace stepvane::test
