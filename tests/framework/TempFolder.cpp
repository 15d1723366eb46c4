#include "TempFolder.h"

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

namespace {

class TTempFolder {
 public:
  TTempFolder() {
    const fs::path base = fs::temp_directory_path();
    // The clock sets apart programs started side by side; create_directory, which fails for a
    // folder that is there already, makes sure.
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (int attempt = 0; attempt < 100; ++attempt) {
      const fs::path folder =
          base / ("skelvane-test-" + std::to_string(stamp) + "-" + std::to_string(attempt));
      std::error_code error;
      if (fs::create_directory(folder, error)) {
        FPath = folder;
        return;
      }
    }
    throw std::runtime_error("no temporary folder could be made under " + base.string());
  }
  ~TTempFolder() {
    std::error_code ignored;
    // Windows removes no folder that is a current directory.
    if (fs::equivalent(fs::current_path(ignored), FPath, ignored))
      fs::current_path(FPath.parent_path(), ignored);
    fs::remove_all(FPath, ignored);
  }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  const fs::path& Path() const { return FPath; }

 private:
  fs::path FPath;
};

const TTempFolder& Folder() {
  static const TTempFolder folder;
  return folder;
}

}  // namespace

std::string TestTempFolder() { return Folder().Path().string(); }

std::string TestTempPath(const std::string& name) { return (Folder().Path() / name).string(); }

void EnterTestTempFolder() { fs::current_path(Folder().Path()); }
