// LangLoadBench.cpp - benchmark: LangLoadStrings on a simulated box, for a language file of the
// shipped size (104 texts in German, English and Dutch) and for one ten
// times as large.  Each text costs two substring searches through the whole
// file per pass, so the time grows with texts x file size.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "Kalib.h"
#include "core/Sim.h"

namespace {

// Block by block as the shipped file: a header comment, then one block per
// language, every text about 40 bytes with CR LF line ends.
std::string MakeLanguageFile(int nrTexts) {
  std::string file = "# Languages: de en nl\r\n";
  const char *codes[] = {"de", "en", "nl"};
  const char *names[] = {"#Deutsch", "#English", "#Nederlands"};
  for (int lang = 0; lang < 3; lang++) {
    file += std::string(names[lang]) + "\r\n";
    for (int i = 0; i < nrTexts; i++) {
      char line[96];
      snprintf(line, sizeof(line), "%s_%3.3d=Text %d in %s, roughly forty bytes\r\n", codes[lang], i, i,
               codes[lang]);
      file += line;
    }
  }
  return file;
}

std::unique_ptr<pvrsim::Sim> sim;

void Boot() {
  std::string dir = std::string(BINARY_DIR) + "/tests/text/tmp/LangLoadBench";
  std::filesystem::remove_all(dir);
  pvrsim::Options options;
  options.diskDir = dir + "/disk";
  options.runDir = dir;
  options.osdLanguage = 2;  // German, English as fallback
  sim = std::make_unique<pvrsim::Sim>(options);
  for (int nrTexts : {104, 1040}) {
    std::filesystem::path host =
        sim->hostPath("/ProgramFiles/Settings/Bench/Lang" + std::to_string(nrTexts) + ".lng");
    std::filesystem::create_directories(host.parent_path());
    std::ofstream(host, std::ios::binary) << MakeLanguageFile(nrTexts);
  }
  std::filesystem::create_directories(sim->hostPath("/DataFiles"));
  sim->adoptCaller("/DataFiles");
}

void BM_LangLoadStrings(benchmark::State &state) {
  int nrTexts = (int)state.range(0);
  std::string file = "Lang" + std::to_string(nrTexts) + ".lng";
  for (auto _ : state) {
    if (LangLoadStrings(file.c_str(), nrTexts, 0, "Bench") != INI_AppSettingsDir) {
      state.SkipWithError("language file not loaded");
      break;
    }
  }
  state.counters["texts"] = nrTexts;
  state.counters["file_bytes"] = (double)MakeLanguageFile(nrTexts).size();
  LangUnloadStrings();
}
BENCHMARK(BM_LangLoadStrings)->Arg(104)->Arg(1040)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
  Boot();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  sim.reset();
  return 0;
}
