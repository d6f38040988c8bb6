// Window tests run on the offscreen platform with a HOME of their own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "ui/korvela_application.h"

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::string home = (std::filesystem::temp_directory_path() / "korvela-home-XXXXXX").string();
    if (::mkdtemp(home.data()) != nullptr) ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", home.c_str(), 1);
    // The preferences file too: never the user's own.
    ::setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);

    ::testing::InitGoogleTest(&argc, argv);
    korvela::KorvelaApplication application(argc, argv);
    const int result = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
    return result;
}
