// Parsing throughput of the JSON reader, in MB/s, next to RapidJSON (DOM and
// in-situ) and simdjson (DOM) when they are available.
//   json_bench [DATA_DIR] [RUNS]
// Each parser reads each file once to warm up, then RUNS times (at least
// 20), taking turns with the others; the median run is reported.
#include "json.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#ifdef VANTREL_BENCH_RAPIDJSON
#include <rapidjson/document.h>
#endif
#ifdef VANTREL_BENCH_SIMDJSON
#include <simdjson.h>
#endif

namespace {

/// Keeps results observable so that no parse is optimised away.
volatile uint64_t sink = 0;

struct Parser {
  const char* name;
  /// Parses `text` and returns something derived from the result; false
  /// through `ok` when the parse failed.
  std::function<uint64_t(const std::string& text, bool& ok)> parse;
};

uint64_t vantrelParse(const std::string& text, bool& ok) {
  // The reader makes its own copy of the text: counted here as required.
  JsonDocument document = parseJson(text.data(), text.size());
  ok = document.ok();
  return ok ? document.root().size() : 0;
}

#ifdef VANTREL_BENCH_RAPIDJSON
uint64_t rapidjsonParse(const std::string& text, bool& ok) {
  rapidjson::Document document;
  document.Parse(text.c_str(), text.size());
  ok = !document.HasParseError();
  return ok ? static_cast<uint64_t>(document.IsObject()) : 0;
}

uint64_t rapidjsonInsituParse(const std::string& text, bool& ok) {
  // In-situ parsing destroys its buffer: the copy is part of the cost.
  std::unique_ptr<char[]> copy(new char[text.size() + 1]);
  std::memcpy(copy.get(), text.c_str(), text.size() + 1);
  rapidjson::Document document;
  document.ParseInsitu(copy.get());
  ok = !document.HasParseError();
  return ok ? static_cast<uint64_t>(document.IsObject()) : 0;
}
#endif

/// Median seconds per parser over `runs` rounds. Each round runs every
/// parser once, so that a change of machine load hits all of them alike.
std::vector<double> medianSeconds(const std::vector<Parser>& list,
                                  const std::string& text, int runs,
                                  std::vector<bool>& ok) {
  std::vector<std::vector<double>> seconds(list.size());
  ok.assign(list.size(), true);
  for (int round = -1; round < runs; ++round) {  // round -1 warms up
    for (size_t i = 0; i < list.size(); ++i) {
      bool parsed = true;
      auto start = std::chrono::steady_clock::now();
      uint64_t result = list[i].parse(text, parsed);
      auto stop = std::chrono::steady_clock::now();
      sink = sink + result;
      ok[i] = ok[i] && parsed;
      if (round >= 0)
        seconds[i].push_back(std::chrono::duration<double>(stop - start).count());
    }
  }
  std::vector<double> medians;
  for (std::vector<double>& times : seconds) {
    std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
    medians.push_back(times[runs / 2]);
  }
  return medians;
}

bool readFile(const std::string& path, std::string& text) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::stringstream bytes;
  bytes << file.rdbuf();
  text = bytes.str();
  return true;
}

std::vector<Parser> parsers() {
  std::vector<Parser> list = {{"vantrel", vantrelParse}};
#ifdef VANTREL_BENCH_RAPIDJSON
  list.push_back({"rapidjson", rapidjsonParse});
  list.push_back({"rapidjson-insitu", rapidjsonInsituParse});
#endif
  return list;
}

#ifdef VANTREL_BENCH_SIMDJSON
/// simdjson as it is meant to be used: one parser, reused, over a padded
/// copy made once outside the timed runs.
Parser simdjsonParser(const std::string& text,
                      std::shared_ptr<simdjson::dom::parser> dom,
                      std::shared_ptr<simdjson::padded_string> padded) {
  *padded = simdjson::padded_string(text);
  return {"simdjson", [dom, padded](const std::string&, bool& ok) -> uint64_t {
            auto result = dom->parse(*padded);
            ok = result.error() == simdjson::SUCCESS;
            return ok ? static_cast<uint64_t>(result.value().is_object()) : 0;
          }};
}
#endif

}  // namespace

int main(int argc, char** argv) {
  std::string directory = argc > 1 ? argv[1] : "/work/shared/bench-data";
  int runs = argc > 2 ? std::max(20, std::atoi(argv[2])) : 25;
  const char* files[] = {"twitter.json", "canada.json", "citm_catalog.json"};

  std::printf("%-18s %9s  %-17s %8s  %s\n", "file", "bytes", "parser", "MB/s",
              "vs rapidjson-insitu");
  int status = 0;
  for (const char* name : files) {
    std::string text;
    if (!readFile(directory + "/" + name, text)) {
      std::fprintf(stderr, "json_bench: cannot read %s/%s\n", directory.c_str(), name);
      status = 1;
      continue;
    }
    std::vector<Parser> list = parsers();
#ifdef VANTREL_BENCH_SIMDJSON
    list.push_back(simdjsonParser(text, std::make_shared<simdjson::dom::parser>(),
                                  std::make_shared<simdjson::padded_string>()));
#endif
    std::vector<bool> ok;
    std::vector<double> seconds = medianSeconds(list, text, runs, ok);
    std::vector<double> rates;
    double insitu = 0;
    for (size_t i = 0; i < list.size(); ++i) {
      rates.push_back(ok[i] ? text.size() / seconds[i] / 1e6 : 0);
      if (std::strcmp(list[i].name, "rapidjson-insitu") == 0) insitu = rates[i];
      if (!ok[i]) {
        std::fprintf(stderr, "json_bench: %s failed on %s\n", list[i].name, name);
        status = 1;
      }
    }
    for (size_t i = 0; i < list.size(); ++i) {
      std::printf("%-18s %9zu  %-17s %8.1f", name, text.size(), list[i].name, rates[i]);
      if (insitu > 0) std::printf("  %.2fx", rates[i] / insitu);
      std::printf("\n");
    }
  }
  std::printf("median of %d runs per parser after one warm-up\n", runs);
  return status;
}
