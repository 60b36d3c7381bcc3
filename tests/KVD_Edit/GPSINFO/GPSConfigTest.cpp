#include "KVD_Edit/GPSINFO/GPSConfig.h"
#include "KVD_Edit/GPSINFO/GPSConfigForm.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

const std::string kDefaultFormat =
    "Lat: %latd.7% %latc%, Long: %lond.7% %lonc%, E: %utme.2%, N: %utmn.2%, Z: %utmz%%utml%";
const std::string kUtmPart = "E: %utme.2%, N: %utmn.2%, Z: %utmz%%utml%";

// The default configuration with some fields replaced.
std::string Config(const std::string &ints,
                   const std::string &texts = R"(", ","Lat: ","Long: ","E: ","N: ","Z: ")") {
    return ints + "," + texts;
}

} // namespace

TEST(GPSFormatString, DefaultConfigurationAndEllipsoid) {
    int ellipsoid = 0;
    EXPECT_EQ(BuildGPSFormatString(DEFAULT_GPS_CONFIGURATION, &ellipsoid), kDefaultFormat);
    EXPECT_EQ(ellipsoid, 23);
    EXPECT_EQ(BuildGPSFormatString(Config("1,1,2,5,1,5,1,1,2"), &ellipsoid), kDefaultFormat);
    EXPECT_EQ(ellipsoid, 5);
    EXPECT_EQ(BuildGPSFormatString(DEFAULT_GPS_CONFIGURATION), kDefaultFormat); // no id wanted
}

TEST(GPSFormatString, DegreesMinutesSecondsWithSign) {
    EXPECT_EQ(BuildGPSFormatString(Config("1,0,1,2,1,23,1,1,2")),
              "Lat: %-latd%\xB0 %latm%' %lats.2%\", Long: %-lond%\xB0 %lonm%' %lons.2%\", " +
                  kUtmPart);
    EXPECT_EQ(BuildGPSFormatString(Config("1,0,3,0,0,23,1,1,2")),
              "Lat: %latd%\xB0 %latm%' %lats.0%\" %latcF%, Long: %lond%\xB0 %lonm%' %lons.0%\" "
              "%loncF%");
}

TEST(GPSFormatString, PartsFollowTheFlags) {
    // No latitude/longitude: starts with the easting prefix, no leading separator.
    EXPECT_EQ(BuildGPSFormatString(Config("0,1,2,5,1,23,1,1,2")), kUtmPart);
    // No UTM: no zone part even with zone and letter flags set.
    EXPECT_EQ(BuildGPSFormatString(Config("1,1,0,3,0,23,1,1,2")), "Lat: %latd.5%, Long: %lond.5%");
    EXPECT_EQ(BuildGPSFormatString(Config("0,1,2,5,1,23,1,0,3")),
              "E: %utme.3%, N: %utmn.3%, Z: %utml%");
    EXPECT_EQ(BuildGPSFormatString(Config("0,1,2,5,1,23,0,1,0")),
              "E: %utme.0%, N: %utmn.0%, Z: %utmz%");
    EXPECT_EQ(BuildGPSFormatString(Config("0,1,2,5,1,23,0,0,2")), "E: %utme.2%, N: %utmn.2%");
    // Values outside the lists add nothing of their own.
    EXPECT_EQ(BuildGPSFormatString(Config("1,2,2,5,1,23,0,0,2")), "E: %utme.2%, N: %utmn.2%");
    EXPECT_EQ(BuildGPSFormatString(Config("1,1,4,5,0,23,0,0,2")), "Lat: %latd.7%, Long: %lond.7%");
    EXPECT_EQ(BuildGPSFormatString(Config("0,1,2,5,0,23,1,1,2")), "");
}

TEST(GPSFormatString, EllipsoidOutsideTheTableIsWgs84) {
    for (const char *id : {"0", "24", "-3", "99999"}) {
        int ellipsoid = 0;
        BuildGPSFormatString(Config(std::string("1,1,2,5,1,") + id + ",1,1,2"), &ellipsoid);
        EXPECT_EQ(ellipsoid, 23) << id;
    }
}

TEST(GPSConfiguration, EmptyTextsDoNotSpoilLaterFields) {
    const SGPSConfig c = ParseGPSConfiguration(R"(1,1,2,5,1,23,1,1,2,"","","Long: ","","N: ","")");
    EXPECT_EQ(c.Separator, "");
    EXPECT_EQ(c.LatPrefix, "");
    EXPECT_EQ(c.LongPrefix, "Long: ");
    EXPECT_EQ(c.EastingPrefix, "");
    EXPECT_EQ(c.NorthingPrefix, "N: ");
    EXPECT_EQ(c.ZonePrefix, "");
    EXPECT_EQ(BuildGPSFormatString(R"(0,1,2,5,1,23,1,1,2,"","","","","","")"),
              "%utme.2%%utmn.2%%utmz%%utml%");
}

TEST(GPSConfiguration, LongTextsAreKeptWhole) {
    const std::string longText(500, 'x');
    const SGPSConfig c = ParseGPSConfiguration("1,1,2,5,1,23,1,1,2,\", \",\"" + longText +
                                               "\",\"L\",\"E\",\"N\",\"Z\"");
    EXPECT_EQ(c.LatPrefix, longText);
    EXPECT_EQ(c.ZonePrefix, "Z");
}

TEST(GPSConfiguration, ShortOrMalformedTextKeepsDefaultsAfterIt) {
    SGPSConfig c = ParseGPSConfiguration("0,0,1");
    EXPECT_EQ(c.ShowLatLong, 0);
    EXPECT_EQ(c.LatLongMode, 0);
    EXPECT_EQ(c.HemisphereStyle, 1);
    EXPECT_EQ(c.LatLongDecimals, 5);
    EXPECT_EQ(c.Ellipsoid, 23);
    EXPECT_EQ(c.ZonePrefix, "Z: ");

    c = ParseGPSConfiguration("1,1,abc,7,0");
    EXPECT_EQ(c.HemisphereStyle, 2);
    EXPECT_EQ(c.LatLongDecimals, 5);
    EXPECT_EQ(c.ShowUTM, 1);

    c = ParseGPSConfiguration("1,1,2,5,1,23,1,1,2,\"; \",\"Lat=");
    EXPECT_EQ(c.Separator, "; ");
    EXPECT_EQ(c.LatPrefix, "Lat=");
    EXPECT_EQ(c.LongPrefix, "Long: ");

    c = ParseGPSConfiguration("1,1,99999999999,4");
    EXPECT_EQ(c.HemisphereStyle, 2);

    c = ParseGPSConfiguration("");
    EXPECT_EQ(FormatGPSConfiguration(c), DEFAULT_GPS_CONFIGURATION);
}

TEST(GPSConfiguration, IntegersReadAsPercentI) {
    const SGPSConfig c = ParseGPSConfiguration(" 1,0x1,-2,010,+1,0x17,0,0,3");
    EXPECT_EQ(c.ShowLatLong, 1);
    EXPECT_EQ(c.LatLongMode, 1);
    EXPECT_EQ(c.HemisphereStyle, -2);
    EXPECT_EQ(c.LatLongDecimals, 8);
    EXPECT_EQ(c.ShowUTM, 1);
    EXPECT_EQ(c.Ellipsoid, 23);
    EXPECT_EQ(c.UTMDecimals, 3);
}

TEST(GPSConfiguration, WriterRoundTripsAndDropsQuotes) {
    SGPSConfig c = ParseGPSConfiguration(R"(0,0,3,4,1,5,0,1,1,"; ","A","B","C","D","E")");
    EXPECT_EQ(FormatGPSConfiguration(c), R"(0,0,3,4,1,5,0,1,1,"; ","A","B","C","D","E")");
    c.LatPrefix = "say \"hi\"";
    const std::string written = FormatGPSConfiguration(c);
    EXPECT_EQ(written, R"(0,0,3,4,1,5,0,1,1,"; ","say hi","B","C","D","E")");
    EXPECT_EQ(ParseGPSConfiguration(written).ZonePrefix, "E");
}

TEST(GPSConfigForm, LoadsControlsAndBuildsConfiguration) {
    CGPSConfigForm form;
    EXPECT_EQ(form.BuildConfiguration(), DEFAULT_GPS_CONFIGURATION);
    EXPECT_EQ(form.m_ellipsoidIndex, 22);
    EXPECT_EQ(form.SampleUTM().zone, 17);
    EXPECT_EQ(form.SampleUTM().letter, 'T');

    form.Load(R"(0,0,3,4,1,5,0,1,1,"; ","A","B","C","D","E")");
    EXPECT_FALSE(form.LatLongGroupEnabled());
    EXPECT_TRUE(form.UTMGroupEnabled());
    EXPECT_EQ(form.m_latLongMode, 0);
    EXPECT_EQ(form.m_hemisphereIndex, 3);
    EXPECT_EQ(form.m_ellipsoidIndex, 4);
    form.m_ellipsoidIndex = 0;
    form.m_showLatLong = true;
    // Decimals and texts no control edits are kept.
    EXPECT_EQ(form.BuildConfiguration(), R"(1,0,3,4,1,1,0,1,1,"; ","A","B","C","D","E")");

    form.Load(Config("1,1,2,5,1,42,1,1,2"));
    EXPECT_EQ(form.m_ellipsoidIndex, 22);
}

TEST(GPSConfigForm, SampleFollowsTheControls) {
    CGPSConfigForm form;
    EXPECT_EQ(form.SampleText().rfind("Lat: 43.5000000 N, Long: 80.2500000 W, E: ", 0), 0u)
        << form.SampleText();
    EXPECT_NE(form.SampleText().find("Z: 17T"), std::string::npos);
    form.m_showUTM = false;
    form.m_latLongMode = 0;
    form.m_hemisphereIndex = 1;
    EXPECT_EQ(form.SampleText(), "Lat: 43\xB0 30' 0.00000\", Long: -80\xB0 15' 0.00000\"");
    form.m_showLatLong = false;
    EXPECT_EQ(form.SampleText(), "");
}

// Stored configurations the fuzzer found: decimals near the int range overflowed while the
// format string was built. They are kept within what the coordinate formatter shows.
TEST(GPSConfiguration, DecimalsAreKeptWithinWhatTheFormatterShows) {
    std::ifstream in(KVD_TEST_DATA_DIR "/fuzz/gps-configuration-huge-decimals.txt");
    std::string line;
    std::vector<std::string> formats;
    while (std::getline(in, line))
        formats.push_back(BuildGPSFormatString(line));
    ASSERT_EQ(formats.size(), 3u);
    EXPECT_EQ(formats[0], "Lat: %latd.15% %latc%, Long: %lond.15% %lonc%, " + kUtmPart);
    EXPECT_EQ(formats[1], "Lat: %latd.15% %latc%, Long: %lond.15% %lonc%, E: %utme.15%, N: "
                          "%utmn.15%, Z: %utmz%%utml%");
    EXPECT_EQ(formats[2], "Lat: %latd%\xB0 %latm%' %lats.0%\" %latc%, Long: %lond%\xB0 %lonm%' "
                          "%lons.0%\" %lonc%, E: %utme.0%, N: %utmn.0%, Z: %utmz%%utml%");
    const SGPSConfig c = ParseGPSConfiguration(Config("1,1,2,2147483646,1,23,1,1,99"));
    EXPECT_EQ(c.LatLongDecimals, 13);
    EXPECT_EQ(c.UTMDecimals, 15);
    EXPECT_EQ(FormatGPSConfiguration(c).substr(0, 20), "1,1,2,13,1,23,1,1,15");
}
