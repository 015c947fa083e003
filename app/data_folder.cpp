#include "app/data_folder.h"

#include <filesystem>
#include <system_error>

namespace {

namespace fs = std::filesystem;

bool Holds(const std::string& folder, const char* file) {
    std::error_code error;
    return fs::is_regular_file(fs::path(folder) / file, error);
}

bool Same_Folder(const std::string& a, const std::string& b) {
    std::error_code error;
    return fs::equivalent(a, b, error);
}

}  // namespace

DataFolder Find_Data_Folder(const std::string& working, const std::string& built_in,
                            const char* mesh) {
    const std::string in_working = "the working directory " + working;
    if (Holds(working, mesh) || Same_Folder(working, built_in)) {
        return {working, in_working};
    }
    const std::string both =
        in_working + ", then in the data folder of the tree it was built from, " + built_in;
    return {Holds(built_in, mesh) ? built_in : working, both};
}
