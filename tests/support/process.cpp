#include "support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

extern char** environ;

namespace piko::testing {

std::string Scratch(const std::string& name, const std::string& folder) {
  std::string dir = std::string(PIKO_BINARY_DIR) + "/" + folder;
  std::filesystem::create_directories(dir);
  return dir + "/" + name;
}

std::string ReadFileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

namespace {

// Waits for the child to end, for at most `seconds`: a pidfd when the
// kernel has them, else a poll every few milliseconds. False on the deadline.
bool AwaitExit(pid_t pid, int seconds) {
  int fd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  if (fd >= 0) {
    struct pollfd p = {fd, POLLIN, 0};
    int ready = ::poll(&p, 1, seconds * 1000);
    ::close(fd);
    return ready != 0;
  }
  for (long ms = 0; ms < seconds * 1000L; ms += 5) {
    siginfo_t info = {};
    if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid)
      return true;
    ::usleep(5000);
  }
  return false;
}

}  // namespace

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

ProcessResult RunProcess(const std::vector<std::string>& args, const std::string& working_dir) {
  ProcessResult result;
  char out_name[] = "/tmp/piko-out-XXXXXX";
  char err_name[] = "/tmp/piko-err-XXXXXX";
  int out_fd = ::mkstemp(out_name);
  int err_fd = ::mkstemp(err_name);
  if (out_fd < 0 || err_fd < 0) return result;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out_fd, 1);
  posix_spawn_file_actions_adddup2(&actions, err_fd, 2);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::string old_dir;
  char cwd[4096];
  if (!working_dir.empty() && ::getcwd(cwd, sizeof cwd)) {
    old_dir = cwd;
    if (::chdir(working_dir.c_str()) != 0) return result;
  }
  // A group of its own, so that a child that hangs goes with what it started.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  pid_t pid;
  int rc = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
  if (!old_dir.empty() && ::chdir(old_dir.c_str()) != 0) std::abort();
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  bool hung = false;
  if (rc == 0) {
    if (!AwaitExit(pid, kProcessSeconds)) {
      hung = true;
      ::kill(-pid, SIGKILL);
    }
    int status = 0;
    struct rusage usage = {};
    ::wait4(pid, &status, 0, &usage);
    result.max_rss_kb = usage.ru_maxrss;
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  ::close(out_fd);
  ::close(err_fd);
  result.out = ReadFileText(out_name);
  result.err = ReadFileText(err_name);
  if (hung) result.err += "\n[killed: still running after " + std::to_string(kProcessSeconds) + " s]\n";
  ::unlink(out_name);
  ::unlink(err_name);
  return result;
}

bool ReadRgbPng(const std::string& path, int* width, int* height, std::vector<unsigned char>* rgb) {
  std::string data = ReadFileText(path);
  if (data.size() < 8 || data.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return false;
  auto u32 = [&](size_t p) {
    return (static_cast<uint32_t>(static_cast<unsigned char>(data[p])) << 24) |
           (static_cast<uint32_t>(static_cast<unsigned char>(data[p + 1])) << 16) |
           (static_cast<uint32_t>(static_cast<unsigned char>(data[p + 2])) << 8) |
           static_cast<uint32_t>(static_cast<unsigned char>(data[p + 3]));
  };
  std::string idat;
  size_t p = 8;
  *width = *height = 0;
  while (p + 8 <= data.size()) {
    uint32_t len = u32(p);
    std::string type = data.substr(p + 4, 4);
    if (p + 12 + len > data.size()) return false;
    if (type == "IHDR") {
      *width = static_cast<int>(u32(p + 8));
      *height = static_cast<int>(u32(p + 12));
      if (data[p + 16] != 8 || data[p + 17] != 2) return false;
    } else if (type == "IDAT") {
      idat += data.substr(p + 8, len);
    }
    p += 12 + len;
  }
  if (*width <= 0 || *height <= 0) return false;
  uLongf raw_size = static_cast<uLongf>(*height) * (1 + *width * 3);
  std::vector<unsigned char> raw(raw_size);
  if (uncompress(raw.data(), &raw_size, reinterpret_cast<const Bytef*>(idat.data()), idat.size()) != Z_OK) return false;
  rgb->clear();
  for (int y = 0; y < *height; ++y) {
    const unsigned char* row = raw.data() + static_cast<size_t>(y) * (1 + *width * 3);
    if (row[0] != 0) return false;  // the player writes unfiltered rows
    rgb->insert(rgb->end(), row + 1, row + 1 + *width * 3);
  }
  return true;
}

}  // namespace piko::testing
