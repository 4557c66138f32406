// The satellite of a recording that nobody named: from the name, else from
// the frequency receiver programs write into it, told apart by the time
// where satellites shared a frequency.
#include <gtest/gtest.h>

#include <optional>

#include "recording/recording_satellite.h"

using namespace sorae;

TEST(RecordingSatellite, NamedOrToldByTheFrequencyInTheFileName) {
    constexpr double k2019 = 1558458124.0;  // 2019-05-21
    constexpr double k2010 = 1262304000.0;  // 2010-01-01: NOAA-15 and -16 both on 137.62
    struct Case {
        const char* name;
        std::optional<double> start;
        std::optional<double> mhz;
        const char* satellite;  // "" unknown
        const char* doubt;      // a word of the doubt, "" for none
        std::optional<IqCarrier> iq = std::nullopt;
    };
    const Case cases[] = {
        {"gqrx_20190521_170204_137100000.wav", k2019, 137.1, "NOAA-19", ""},
        {"SDRSharp_20190521_170204Z_137912500Hz_AF.wav", k2019, 137.9125, "NOAA-18", ""},
        {"HDSDR_20190521_170204Z_137620kHz_AF.wav", k2019, 137.62, "NOAA-15", ""},
        {"audio_137.62MHz_17-02-04_21-05-2019.wav", k2010, 137.62, "", "NOAA-15 or NOAA-16"},
        {"NOAA15_137100_20190521_170204.wav", k2019, 137.1, "NOAA-15", ""},  // the name comes first
        {"pass_137.1_20190521.wav", std::nullopt, 137.1, "NOAA-19", ""},
        {"gqrx_20190521_170204_137500000.wav", k2019, 137.5, "", "no NOAA satellite"},
        {"gqrx_20190521_170204_145800000.wav", k2019, std::nullopt, "", ""},
        {"20190521170204.wav", k2019, std::nullopt, "", ""},         // a date is no frequency
        {"rec_1137100000.wav", k2019, std::nullopt, "", ""},         // digits run on
        {"/137100000/recording.wav", k2019, std::nullopt, "", ""},   // folders are not read
        // an I/Q recording's name gives its centre; the carrier lies off it
        {"SDRSharp_20190521_170204Z_137620000Hz_IQ.wav", k2019, 137.62, "NOAA-19", "", IqCarrier{-520000.0}},
        {"SDRSharp_20190521_170204Z_137100000Hz_IQ.wav", k2019, 137.1, "", "carrier was not found", IqCarrier{}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto mhz = FrequencyFromFileName(c.name);
        ASSERT_EQ(mhz.has_value(), c.mhz.has_value());
        if (mhz) EXPECT_NEAR(*mhz, *c.mhz, 1e-9);
        const RecordingSatellite found = SatelliteOfRecording(c.name, c.start, c.iq);
        EXPECT_EQ(found.name.value_or(""), c.satellite);
        EXPECT_EQ(found.source.empty(), !found.name);
        if (*c.doubt) EXPECT_NE(found.doubt.find(c.doubt), std::string::npos) << found.doubt;
        else EXPECT_EQ(found.doubt, "");
    }
}
