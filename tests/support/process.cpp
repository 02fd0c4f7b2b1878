#include "support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace {

// Starts argv with the given environment and working folder, its standard input, output and
// error on the three descriptors given.
pid_t spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env,
            const std::string& cwd, const int (&fds)[3]) {
  std::vector<char*> args, vars;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  for (const auto& v : env) vars.push_back(const_cast<char*>(v.c_str()));
  vars.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    for (int i = 0; i < 3; ++i) ::dup2(fds[i], i);
    if (!cwd.empty() && ::chdir(cwd.c_str()) != 0) ::_exit(126);
    ::execvpe(args[0], args.data(), vars.data());
    ::_exit(127);
  }
  return pid;
}

}  // namespace

ProcessResult run_process(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                          const std::string& cwd, const std::string& input) {
  ProcessResult result;
  int out_pipe[2], err_pipe[2], in_pipe[2];
  if (::pipe2(out_pipe, O_CLOEXEC) != 0 || ::pipe2(err_pipe, O_CLOEXEC) != 0 ||
      ::pipe2(in_pipe, O_CLOEXEC) != 0) {
    return result;
  }
  const pid_t pid = spawn(argv, env, cwd, {in_pipe[0], out_pipe[1], err_pipe[1]});
  ::close(in_pipe[0]);
  ::close(out_pipe[1]);
  ::close(err_pipe[1]);
  if (!input.empty()) {
    [[maybe_unused]] const ssize_t written = ::write(in_pipe[1], input.data(), input.size());
  }
  ::close(in_pipe[1]);

  pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int open_count = 2;
  while (open_count > 0 && ::poll(fds, 2, -1) > 0) {
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(n));
      } else {
        ::close(fds[i].fd);
        fds[i].fd = -1;
        --open_count;
      }
    }
  }
  int wait_status = 0;
  ::waitpid(pid, &wait_status, 0);
  if (WIFEXITED(wait_status)) result.status = WEXITSTATUS(wait_status);
  return result;
}

int start_process(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                  const std::string& cwd) {
  const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
  const pid_t pid = spawn(argv, env, cwd, {null, null, null});
  ::close(null);
  return pid;
}

std::vector<std::string> test_environment(const std::string& home) {
  const char* path = std::getenv("PATH");
  return {"HOME=" + home, "XDG_DATA_HOME=" + home + "/.local/share",
          std::string("PATH=") + (path ? path : "/usr/bin:/bin"), "LC_ALL=C.UTF-8", "TZ=UTC"};
}

ProcessResult run_dustpan(const std::vector<std::string>& args, const std::string& home,
                          const std::string& cwd) {
  std::vector<std::string> argv = {DUSTPAN_BINARY};
  argv.insert(argv.end(), args.begin(), args.end());
  return run_process(argv, test_environment(home), cwd);
}

bool have_program(const std::string& name) {
  const char* path = std::getenv("PATH");
  const std::string dirs = path ? path : "/usr/bin:/bin";
  for (std::size_t start = 0; start <= dirs.size();) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string candidate = dirs.substr(start, end - start) + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}
