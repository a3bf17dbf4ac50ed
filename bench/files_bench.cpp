// What a game's file name costs to look up in a folder of many pictures:
// a name that is not there (a JPEG tried before the BMP, a save not yet
// made) and a name spelt in another letter case than the file's.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/files.h"

namespace {

// A folder of `count` pictures, made the current directory while it lives.
class PictureFolder {
 public:
  PictureFolder(benchmark::State& state, int count) {
    char tmpl[] = "/tmp/piko-bench-XXXXXX";
    char* dir = ::mkdtemp(tmpl);
    if (!dir || !::getcwd(previous_, sizeof previous_) || ::chdir(dir) != 0) {
      state.SkipWithError("no temporary folder");
      return;
    }
    path_ = dir;
    for (int i = 0; i < count; ++i) {
      std::string name = "Pic" + std::to_string(i) + ".SB1";
      if (FILE* f = std::fopen(name.c_str(), "wb")) std::fclose(f);
    }
  }
  ~PictureFolder() {
    if (path_.empty()) return;
    if (::chdir(previous_) != 0) return;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }

 private:
  char previous_[4096] = {};
  std::string path_;
};

void BM_MissingName(benchmark::State& state) {
  PictureFolder folder(state, static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(piko::ProbeGamePath("title.jpg"));
}
BENCHMARK(BM_MissingName)->Arg(20)->Arg(2000);

void BM_NameInAnotherCase(benchmark::State& state) {
  PictureFolder folder(state, static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(piko::ProbeGamePath("pic7.sb1"));
}
BENCHMARK(BM_NameInAnotherCase)->Arg(20)->Arg(2000);

}  // namespace
