// The program's own command-line options: values in both spellings, and a clear error naming the
// option and the value for everything else.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/options.h"

namespace {

struct Parsed {
    Options options;
    std::string error;
    std::vector<int> used;  // words used by each option read, in order; 0 for one not ours
};

Parsed Parse(std::vector<std::string> words) {
    words.insert(words.begin(), "tovrel-demo");
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    Parsed parsed;
    const int argc = static_cast<int>(argv.size());
    for (int i = 1; i < argc && parsed.error.empty();) {
        const int used = Parse_Own_Option(argc, argv.data(), i, parsed.options, parsed.error);
        parsed.used.push_back(used);
        i += used > 0 ? used : 1;
    }
    return parsed;
}

}  // namespace

TEST(Options, NothingGivenMeansAWindowThatWaitsForPlay) {
    const Parsed p = Parse({});
    EXPECT_FALSE(p.options.play);
    EXPECT_FALSE(p.options.capture);
    EXPECT_FALSE(p.options.autopilot);
    EXPECT_EQ(p.options.quit_after, 0.0);
    EXPECT_EQ(p.options.headless, 0.0);
    EXPECT_FALSE(p.options.help);
}

TEST(Options, EachOptionOfOursIsReadWithItsValue) {
    const Parsed p = Parse({"--play", "--autopilot", "--capture=2", "--quit-after", "10.5"});
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.used, (std::vector<int>{1, 1, 1, 2}));
    EXPECT_TRUE(p.options.play);
    EXPECT_TRUE(p.options.autopilot);
    EXPECT_TRUE(p.options.capture);
    EXPECT_EQ(p.options.frame_skip, 2);
    EXPECT_EQ(p.options.quit_after, 10.5);

    const Parsed q = Parse({"--capture", "--quit-after=3", "--headless", "3600"});
    ASSERT_EQ(q.error, "");
    EXPECT_TRUE(q.options.capture);
    EXPECT_EQ(q.options.frame_skip, 0);
    EXPECT_EQ(q.options.quit_after, 3.0);
    EXPECT_EQ(q.options.headless, 3600.0);

    EXPECT_TRUE(Parse({"--help"}).options.help);
    EXPECT_TRUE(Parse({"-h"}).options.help);
    EXPECT_EQ(Parse({"--capture=60"}).options.frame_skip, 60);
    EXPECT_EQ(Parse({"--headless=1e3"}).options.headless, 1000.0);
}

TEST(Options, TheToolkitsOptionsAreLeftForTheToolkit) {
    const Parsed p = Parse({"-geometry", "800x600", "--play", "-display", ":0"});
    EXPECT_EQ(p.error, "");
    EXPECT_EQ(p.used, (std::vector<int>{0, 0, 1, 0, 0}));
    EXPECT_TRUE(p.options.play);
}

TEST(Options, ABadValueIsReportedWithTheOptionAndTheValue) {
    struct Case {
        std::vector<std::string> words;
        std::string error;
    };
    const Case cases[] = {
        {{"--quit-after", "soon"},
         "--quit-after: \"soon\" is not a number of seconds (more than 0, at most 1e9)"},
        {{"--quit-after", "0"},
         "--quit-after: \"0\" is not a number of seconds (more than 0, at most 1e9)"},
        {{"--quit-after=-3"},
         "--quit-after: \"-3\" is not a number of seconds (more than 0, at most 1e9)"},
        {{"--headless", "nan"},
         "--headless: \"nan\" is not a number of seconds (more than 0, at most 1e9)"},
        {{"--headless", "inf"},
         "--headless: \"inf\" is not a number of seconds (more than 0, at most 1e9)"},
        {{"--headless", "1e300"},
         "--headless: \"1e300\" is not a number of seconds (more than 0, at most 1e9)"},
        {{"--headless", "12s"},
         "--headless: \"12s\" is not a number of seconds (more than 0, at most 1e9)"},
        {{"--headless="}, "--headless: \"\" is not a number of seconds (more than 0, at most 1e9)"},
        {{"--quit-after"}, "--quit-after needs a number of seconds"},
        {{"--headless"}, "--headless needs a number of seconds"},
        {{"--capture=61"}, "--capture: \"61\" is not a frame skipping from 0 to 60"},
        {{"--capture=-1"}, "--capture: \"-1\" is not a frame skipping from 0 to 60"},
        {{"--capture=two"}, "--capture: \"two\" is not a frame skipping from 0 to 60"},
        {{"--capture=99999999999999999999"},
         "--capture: \"99999999999999999999\" is not a frame skipping from 0 to 60"},
        {{"--play=yes"}, "--play takes no value, but was given \"yes\""},
        {{"--autopilot=1"}, "--autopilot takes no value, but was given \"1\""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Parse(c.words).error, c.error) << c.words[0];
    }
}

TEST(Options, ARunWithoutAWindowCannotCaptureOrQuitByTheClock) {
    Options options;
    options.headless = 10;
    EXPECT_EQ(Check_Options(options), "");
    options.autopilot = true;
    options.play = true;
    EXPECT_EQ(Check_Options(options), "");
    options.capture = true;
    EXPECT_NE(Check_Options(options), "");
    options.capture = false;
    options.quit_after = 5;
    EXPECT_NE(Check_Options(options), "");
}

TEST(Options, TheHelpNamesEveryOptionAndTheToolkitsOnes) {
    const std::string usage = Usage("tovrel-demo");
    for (const char* option :
         {"--play", "--capture[=N]", "--quit-after SECONDS", "--autopilot", "--headless SECONDS",
          "--help", "The toolkit's standard options still work"}) {
        EXPECT_NE(usage.find(option), std::string::npos) << option;
    }
}
