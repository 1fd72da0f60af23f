// The setup-file services of load steps: the summary text stored in
// Setup_Info and the removal of calibration data before a setup is embedded.
#include "document/VX_CAAXML_PARSER.h"

#include <gtest/gtest.h>

using namespace stepvane;

namespace {

QByteArray setupXml(const QString &loadInfo)
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><QRTSetup><General/>"
                          "<LoadInfo>%1</LoadInfo></QRTSetup>")
        .arg(loadInfo)
        .toUtf8();
}

QString value(const char *name, const char *v)
{
    return QStringLiteral("<%1 LValue=\"%2\"/>").arg(QLatin1String(name), QString::fromUtf8(v));
}

// The summary of a setup document held in memory.
QString infoOf(const QByteArray &setup, const QString &name = "s.xml")
{
    VX_CAAXML_PARSER parser(nullptr, 0);
    return parser.Load_Document_From_Memory(setup) ? parser.Make_Setup_Info(name) : "<not loaded>";
}

QString fourLines(const QString &file, const QString &layout, const QString &mode,
                  const QString &band)
{
    return QStringLiteral(
               " 1. File Name: %1\n 2. Layout: %2\n 3. Mode: %3\n 4. Frequency Band: %4\n")
        .arg(file, layout, mode, band);
}

TEST(SetupInfo, TwoTracesWithDtfGiveTheSevenLineSummary)
{
    VX_CAAXML_PARSER parser(nullptr, 2);
    ASSERT_TRUE(parser.Load_Document(test::fixture("procedure/site_dtf.xml")));
    EXPECT_EQ(
        parser.Make_Setup_Info("site_dtf.xml"),
        QStringLiteral(" 1. File Name: site_dtf.xml\n 2. Layout: Dual Horizotal\n"
                       " 3. Mode: DTF VSWR,Smith Chart\n"
                       " 4. Frequency Band: 5.00 MHz - 2700.50 MHz\n 5. Distance: 0.00 - 15.00\n"
                       " 6. Cable Name: HFC-12D (1/2')\n 7. Velocity Factory: 0.8800\n"));
}

TEST(SetupInfo, LayoutDecidesHowManyTracesAreNamed)
{
    const QString modes = value("Display_Mode1", "6") + value("Display_Mode2", "12") +
                          value("Display_Mode3", "7") + value("Display_Mode4", "3");
    const QString band = "0.00 MHz - 0.00 MHz";
    const struct {
        const char *select;
        QString expected;
    } cases[] = {
        {"0", fourLines("s.xml", "Single", "Smith Chart", band)},
        {"2", fourLines("s.xml", "Dual Vertical", "Smith Chart,2 Port Transmission", band)},
        {"3", fourLines("s.xml", "Triple", "Smith Chart,2 Port Transmission,RF Power", band)},
        // Layouts 5..9 repeat the names but name no traces.
        {"7", fourLines("s.xml", "Dual Vertical", "", band)},
        // Outside both tables: empty names, nothing read out of range.
        {"10", fourLines("s.xml", "", "", band)},
        {"-1", fourLines("s.xml", "", "", band)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.select);
        EXPECT_EQ(infoOf(setupXml(modes + value("nSelectDisplay", c.select))), c.expected);
    }
    // Four traces, the last a DTF one: the long form, whatever trace holds it.
    EXPECT_TRUE(
        infoOf(setupXml(modes + value("nSelectDisplay", "4")))
            .startsWith(fourLines("s.xml", "Quad",
                                  "Smith Chart,2 Port Transmission,RF Power,DTF Return Loss",
                                  band) +
                        " 5. Distance:"));
}

TEST(SetupInfo, FrequenciesAreWholeHertzShownInMegahertz)
{
    const std::tuple<const char *, const char *, const char *> cases[] = {
        {"2700500000", "4000000000", "2700.50 MHz - 4000.00 MHz"},
        {"1234567.9", "1.5e9", "1.23 MHz - 1500.00 MHz"}, // real texts are accepted
        {"999999", "6000000000", "1.00 MHz - 6000.00 MHz"},
        {"abc", "inf", "0.00 MHz - 0.00 MHz"},
        {"125000", "625000", "0.12 MHz - 0.62 MHz"}, // exact ties round to even, as printf does
    };
    for (const auto &[start, stop, band] : cases) {
        SCOPED_TRACE(start);
        EXPECT_EQ(infoOf(setupXml(value("llFreqStart", start) + value("llFreqStop", stop) +
                                  value("Display_Mode1", "6")),
                         QStringLiteral(u"Mast – Süd.xml")),
                  fourLines(QStringLiteral(u"Mast – Süd.xml"), "Single", "Smith Chart",
                            QLatin1String(band)));
    }
}

TEST(SetupInfo, MissingValuesGiveZerosAndEmptyTexts)
{
    EXPECT_EQ(
        infoOf("<QRTSetup><LoadInfo><Display_Mode1 LValue=\"2\"/></LoadInfo></QRTSetup>", "d.xml"),
        QStringLiteral(" 1. File Name: d.xml\n 2. Layout: Single\n 3. Mode: DTF VSWR\n"
                       " 4. Frequency Band: 0.00 MHz - 0.00 MHz\n 5. Distance: 0.00 - 0.00\n"
                       " 6. Cable Name: \n 7. Velocity Factory: 0.0000\n"));
    EXPECT_EQ(infoOf("<Other><LoadInfo><nSelectDisplay LValue=\"3\"/></LoadInfo></Other>", "o.xml"),
              fourLines("o.xml", "Single", "Reflection VSWR", "0.00 MHz - 0.00 MHz"));
}

// The setup document after Strip_Calibration, as saved, without layout.
QByteArray stripped(const QByteArray &setup)
{
    QTemporaryDir dir;
    VX_CAAXML_PARSER parser(nullptr, 0);
    if (!parser.Load_Document_From_Memory(setup))
        return "<not loaded>";
    parser.Strip_Calibration();
    const QString out = dir.filePath("setup.xml");
    return parser.Save_Document(out) ? test::normalizedXml(test::readAll(out)) : "<not saved>";
}

TEST(StripCalibration, RemovesTheFiveCalibrationElementsOfGeneralOnly)
{
    const QByteArray withoutFirst =
        "<QRTSetup><General><Language LValue=\"0\"/><Cal_Method2 LValue=\"1\"><Port1 "
        "LValue=\"OSL\"/>"
        "</Cal_Method2><Cal_Method3 LValue=\"0\"/><Cal_Current LValue=\"1\"/><Cal_Method4 "
        "LValue=\"0\"/>"
        "<Cal_Method2 LValue=\"2\"/><Brightness LValue=\"7\"/></General>"
        "<LoadInfo><Cal_Current LValue=\"keep\"/><nSelectDisplay "
        "LValue=\"0\"/></LoadInfo></QRTSetup>";
    EXPECT_EQ(
        stripped(withoutFirst),
        test::normalizedXml("<QRTSetup><General><Language LValue=\"0\"/><Brightness LValue=\"7\"/>"
                            "</General><LoadInfo><Cal_Current LValue=\"keep\"/>"
                            "<nSelectDisplay LValue=\"0\"/></LoadInfo></QRTSetup>"));

    // Only calibration elements go; General itself stays even when emptied.
    EXPECT_EQ(stripped("<QRTSetup><General><Cal_Method1/><Cal_Current/></General></QRTSetup>"),
              test::normalizedXml("<QRTSetup><General/></QRTSetup>"));

    const QByteArray site = test::readAll(test::fixture("procedure/site_dtf.xml"));
    const QByteArray siteStripped = stripped(site);
    EXPECT_FALSE(siteStripped.contains("Cal_"));
    EXPECT_TRUE(
        siteStripped.contains("<Language LValue=\"0\"/><Brightness LValue=\"7\"/></General>"));
    EXPECT_TRUE(siteStripped.contains("<nSelectDisplay LValue=\"1\"/></LoadInfo>"));
}

TEST(StripCalibration, LeavesOtherDocumentsAlone)
{
    const QByteArray noGeneral = "<QRTSetup><LoadInfo><Cal_Method1/></LoadInfo></QRTSetup>";
    const QByteArray otherRoot = "<Setup><General><Cal_Method1/></General></Setup>";
    EXPECT_EQ(stripped(noGeneral), test::normalizedXml(noGeneral));
    EXPECT_EQ(stripped(otherRoot), test::normalizedXml(otherRoot));
}

} // namespace
