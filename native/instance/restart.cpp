#include "restart.h"

#include <cstdlib>
#include <ctime>

#include "restart_platform.h"

const char* const restartRecordVariable = "VANTREL_RESTARTS";

std::vector<int64_t> earlierRestarts;

namespace {

int restartExitCode = 0;

}  // namespace

std::vector<int64_t> parseRestartTimes(const std::string& record) {
  std::vector<int64_t> times;
  const char* at = record.c_str();
  for (;;) {
    char* end = nullptr;
    const long long value = std::strtoll(at, &end, 10);
    if (end == at) return times;
    times.push_back(value);
    at = end;
  }
}

std::string formatRestartTimes(const std::vector<int64_t>& times) {
  std::string record;
  for (int64_t time : times) record += (record.empty() ? "" : " ") + std::to_string(time);
  return record;
}

bool allowRestart(std::vector<int64_t>* times, int64_t now) {
  std::vector<int64_t> recent;
  for (int64_t time : *times)
    if (time > now - 60 && time <= now) recent.push_back(time);
  *times = recent;
  if (recent.size() >= restartLimit) return false;
  times->push_back(now);
  return true;
}

void prepareRestart(int exitCode) { restartExitCode = exitCode; }

AppEnd endApp(int status) {
  AppEnd end;
  end.status = status;
  if (restartExitCode == 0 || status != restartExitCode) return end;
  // One restart, whatever else ends the app afterwards.
  restartExitCode = 0;
  std::vector<int64_t> times = earlierRestarts;
  if (!allowRestart(&times, static_cast<int64_t>(std::time(nullptr)))) {
    end.status = 1;
    end.error = "the app asked to be restarted (exit status " + std::to_string(status) +
                ") more than " + std::to_string(restartLimit) +
                " times within a minute; it is not restarted again";
    return end;
  }
  end.error = startRestart(formatRestartTimes(times));
  end.status = end.error.empty() ? 0 : 1;
  return end;
}
