// Runs a program and collects what it printed (for end-to-end tests).
#pragma once

#include <string>
#include <vector>

namespace piko::testing {

struct ProcessResult {
  int exit_code = -1;
  std::string out;
  std::string err;
  long max_rss_kb = 0;  // the child's peak resident memory
};

// A child still running after this long is killed, with all it started,
// and its result says so: a hang fails its test instead of the whole run.
constexpr int kProcessSeconds = 240;

ProcessResult RunProcess(const std::vector<std::string>& args, const std::string& working_dir = "");

// Reads a PNG written by the player (8-bit RGB). Returns false when the
// file is missing or not such a picture.
bool ReadRgbPng(const std::string& path, int* width, int* height, std::vector<unsigned char>* rgb);

// A file in the tests' scratch folder (PIKO_BINARY_DIR/FOLDER, made when
// missing).
std::string Scratch(const std::string& name, const std::string& folder = "test-output");

std::string ReadFileText(const std::string& path);
std::vector<std::string> SplitLines(const std::string& text);

}  // namespace piko::testing
