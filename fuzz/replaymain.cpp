// Replays inputs through a fuzz target without libFuzzer: every file named on
// the command line, and every file in each directory named (in name order),
// goes once through LLVMFuzzerTestOneInput. CTest runs the checked-in corpus
// this way in the g++ builds, so the targets' invariants hold in every CI run.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool Replay(const std::filesystem::path& file) {
  std::ifstream stream(file, std::ios::binary);
  if (!stream) {
    std::fprintf(stderr, "cannot read %s\n", file.c_str());
    return false;
  }
  const std::vector<char> bytes{std::istreambuf_iterator<char>(stream),
                                std::istreambuf_iterator<char>()};
  std::printf("%s (%zu bytes)\n", file.c_str(), bytes.size());
  std::fflush(stdout);
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::filesystem::path> files;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path path = argv[i];
    if (!std::filesystem::is_directory(path)) {
      files.push_back(path);
      continue;
    }
    std::vector<std::filesystem::path> inside;
    for (const auto& entry : std::filesystem::directory_iterator(path))
      if (entry.is_regular_file()) inside.push_back(entry.path());
    std::sort(inside.begin(), inside.end());
    files.insert(files.end(), inside.begin(), inside.end());
  }
  // An empty corpus would pass without checking anything.
  if (files.empty()) {
    std::fprintf(stderr, "no inputs\n");
    return 1;
  }
  // libFuzzer starts with the empty input too.
  LLVMFuzzerTestOneInput(nullptr, 0);
  for (const auto& file : files)
    if (!Replay(file)) return 1;
  std::printf("%zu inputs replayed\n", files.size() + 1);
  return 0;
}
