// Where the demo finds its data: the working directory first, then the tree's own data folder;
// when a file fails, the message names every folder that was looked in.
#include <gtest/gtest.h>

#include "app/data_folder.h"

TEST(DataFolder, TheWorkingDirectoryFirstThenTheTreesOwn) {
    const std::string data = TOVREL_SOURCE_DIR "/data", bare = TOVREL_SOURCE_DIR "/app";
    const struct {
        std::string working, built_in, chosen;
        bool names_built_in;
    } cases[] = {
        {data, bare, data, false},
        {bare, data, data, true},
        {bare, bare + "/no-such-folder", bare, true},
        {bare, bare, bare, false},  // one folder is looked in once
    };
    for (const auto& c : cases) {
        const DataFolder found = Find_Data_Folder(c.working, c.built_in, "objects/sphere.poly");
        EXPECT_EQ(found.path, c.chosen) << c.working << " " << c.built_in;
        const std::string working = "the working directory " + c.working;
        EXPECT_EQ(found.looked_in.find(working), 0u);
        EXPECT_EQ(found.looked_in.find(c.built_in, working.size()) != std::string::npos,
                  c.names_built_in)
            << found.looked_in;
    }
}
