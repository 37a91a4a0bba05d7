// How long a run takes to stop after Cancel: runs a stored library (a large
// generated one, bench/gen_library.py) again and again, each time asking it
// to stop after a different delay, and prints for each stop how long the run
// needed to end after the request and the CPU time the process spent in
// that time (user + system, all threads), then the same for a read of
// every language's coverage. The window waits for the stop only: after a
// cancel it keeps the coverage of the languages the run did not write and
// reads no file; the coverage column is what a completed run adds.
//
// Usage: bench_cancel SETTINGS [--library N] [--delays MS,MS,...] [--jobs N]
// The first run (not timed) writes the language files, so that every timed
// run is a second run over existing files. Wall times on a loaded machine
// are rough; the CPU figures are the steadier ones.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "window/LanguageCoverage.h"
#include "app/LibraryRun.h"
#include "platform/FileSystem.h"

namespace {

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

std::vector<int> Delays(const std::string& text) {
  std::vector<int> delays;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t comma = text.find(',', start);
    delays.push_back(std::atoi(text.substr(start, comma - start).c_str()));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return delays;
}

}  // namespace

int main(int argc, char** argv) {
  using Clock = std::chrono::steady_clock;
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_cancel SETTINGS [--library N] [--delays MS,...] [--jobs N]\n");
    return 2;
  }
  int n = 1, jobs = 0;
  std::vector<int> delays = {500, 1500, 3000, 5000, 8000, 12000};
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--library") n = std::atoi(argv[i + 1]);
    else if (option == "--delays") delays = Delays(argv[i + 1]);
    else if (option == "--jobs") jobs = std::atoi(argv[i + 1]);
  }
  const sw::TLibrarySettings settings(argv[1]);
  const sw::TResolvedLibrary library = sw::LoadResolvedLibrary(settings, n);
  std::vector<sw::LANGID> langIds;
  for (int i = 0; i < library.Languages.Count(); ++i)
    langIds.push_back(static_cast<sw::LANGID>(library.Languages[i]->LangId));

  sw::TRunControl control;
  control.Jobs = jobs;
  const auto first = Clock::now();
  const double firstCpu = CpuSeconds();
  const sw::TRunResult whole = sw::RunLibrary(library, control);
  std::printf("whole run: %.2f s wall, %.2f s CPU, %s\n",
              std::chrono::duration<double>(Clock::now() - first).count(), CpuSeconds() - firstCpu,
              whole.Ok() ? "ok" : "with problems");

  std::printf("%8s  %-28s %10s %10s %12s %12s\n", "stop at", "where", "stop wall", "stop CPU", "coverage wall",
              "coverage CPU");
  for (const int delay : delays) {
    std::stop_source stop;
    control.Stop = stop.get_token();
    sw::TRunProgress last;
    std::mutex lastMutex;
    control.OnProgress = [&](const sw::TRunProgress& progress) {
      std::lock_guard lock(lastMutex);
      last = progress;
    };
    Clock::time_point requested;
    double requestedCpu = 0;
    std::string where;
    std::thread stopper([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(delay));
      {
        std::lock_guard lock(lastMutex);
        where = "lang " + std::to_string(last.LanguageIndex + 1) + ", file " + std::to_string(last.FilesDone) +
                "/" + std::to_string(last.FilesTotal);
      }
      requestedCpu = CpuSeconds();
      requested = Clock::now();
      stop.request_stop();
    });
    const sw::TRunResult result = sw::RunLibrary(library, control);
    const auto ended = Clock::now();
    const double endedCpu = CpuSeconds();
    stopper.join();
    if (!result.Stats.Cancelled) {
      std::printf("%6d ms  run ended before the stop\n", delay);
      continue;
    }
    sw::ReadLanguageCoverage(library.DestDir, library.ShortName, langIds);
    const auto covered = Clock::now();
    const double coveredCpu = CpuSeconds();
    std::printf("%6d ms  %-28s %8.3f s %8.3f s %10.3f s %10.3f s\n", delay, where.c_str(),
                std::chrono::duration<double>(ended - requested).count(), endedCpu - requestedCpu,
                std::chrono::duration<double>(covered - ended).count(), coveredCpu - endedCpu);
  }
  return 0;
}
