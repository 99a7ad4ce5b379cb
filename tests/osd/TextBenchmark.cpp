// TextBenchmark.cpp - speed of the anti-aliased text output: FMUC_PutStringAA drawing a
// 60-character line with a warm glyph cache, against FreeType rendering and
// blending the same line into a pixel buffer, and the time to load a font.
// At the end the program prints the glyph rate of both and their ratio.
#include <benchmark/benchmark.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "Kalib.h"
#include "core/Sim.h"

namespace fs = std::filesystem;

namespace {

const char kLine[] = "Vantero Setup installs the update manager and its fonts now.";  // 60 characters
static_assert(sizeof kLine - 1 == 60, "the benchmark line has 60 characters");
const char kFontFile[] = "Calibri_14.ufnt";
const char kFace[] =
    "/usr/share/fonts/truetype/crosextra/Carlito-Regular.ttf";  // what Calibri_14 is made from
const int kCellHeight = 23;                                     // Calibri_14's cell
const dword kInk = 0xFFF0F0F0;

// One simulated box for the whole program, with the font installed.
pvrsim::Sim &Box() {
  static std::unique_ptr<pvrsim::Sim> sim;
  if (!sim) {
    pvrsim::Options options;
    std::string base = fs::temp_directory_path().string() + "/osd_text_bench";
    fs::remove_all(base);
    options.diskDir = base + "/disk";
    options.runDir = base + "/run";
    sim = std::make_unique<pvrsim::Sim>(options);
    std::string fonts = options.diskDir + "/ProgramFiles/Settings/Fonts";
    fs::create_directories(fonts);
    fs::copy_file(std::string(BINARY_DIR) + "/payloads/files/" + kFontFile, fonts + "/" + kFontFile);
    sim->adoptCaller("/ProgramFiles");
  }
  return *sim;
}

void BM_FMUC_PutStringAA(benchmark::State &state) {
  Box();
  tUCFont font{};
  if (!FMUC_LoadFontFile(kFontFile, &font)) {
    state.SkipWithError("font missing: build the target payload_files");
    return;
  }
  word rgn = (word)TAP_Osd_Create(0, 0, 720, 40, 0, OSD_Flag_MemRgn);
  TAP_Osd_FillBox(rgn, 0, 0, 720, 40, 0xFF1C2230);
  FMUC_PutStringAA(rgn, 0, 0, 719, kLine, kInk, 0, &font, 0, 0, 1.0f);  // warm the glyph cache
  for (auto _ : state) FMUC_PutStringAA(rgn, 0, 0, 719, kLine, kInk, 0, &font, 0, 0, 1.0f);
  state.SetItemsProcessed(state.iterations() * 60);
  TAP_Osd_Delete(rgn);
  FMUC_FreeFontFile(&font);
}
BENCHMARK(BM_FMUC_PutStringAA);

// The same work with FreeType: every glyph rendered anti-aliased and blended
// by its coverage into a 32-bit pixel buffer of the line.
void BM_FreeType_RenderAndBlend(benchmark::State &state) {
  FT_Library library;
  FT_Face face;
  if (FT_Init_FreeType(&library) != 0 || FT_New_Face(library, kFace, 0, &face) != 0) {
    state.SkipWithError("FreeType or the font face is not available");
    return;
  }
  FT_Set_Pixel_Sizes(face, 0, kCellHeight * 1000 / 1220);  // Carlito's line is 1.22 em
  std::vector<uint32_t> pixels(720 * 40, 0xFF1C2230);
  int ascender = int(face->size->metrics.ascender >> 6);
  for (auto _ : state) {
    int pen = 0;
    for (const char *c = kLine; *c != 0; c++) {
      if (FT_Load_Char(face, (unsigned char)*c, FT_LOAD_RENDER) != 0) continue;
      FT_GlyphSlot g = face->glyph;
      for (unsigned row = 0; row < g->bitmap.rows; row++)
        for (unsigned col = 0; col < g->bitmap.width; col++) {
          int x = pen + g->bitmap_left + int(col), y = ascender - g->bitmap_top + int(row);
          if (x < 0 || x >= 720 || y < 0 || y >= 40) continue;
          byte coverage = g->bitmap.buffer[row * g->bitmap.pitch + col];
          if (coverage == 0) continue;
          uint32_t &p = pixels[size_t(y) * 720 + x];
          p = coverage == 255 ? kInk : (kInk & 0xFF000000) | FM_AlphaBlendRGB(coverage, kInk, p, 1.0f);
        }
      pen += int(g->advance.x >> 6);
    }
    benchmark::DoNotOptimize(pixels.data());
  }
  state.SetItemsProcessed(state.iterations() * 60);
  FT_Done_Face(face);
  FT_Done_FreeType(library);
}
BENCHMARK(BM_FreeType_RenderAndBlend);

void BM_FMUC_LoadFontFile(benchmark::State &state) {
  Box();
  for (auto _ : state) {
    tUCFont font{};
    if (!FMUC_LoadFontFile(kFontFile, &font)) {
      state.SkipWithError("font missing: build the target payload_files");
      return;
    }
    FMUC_FreeFontFile(&font);
  }
}
BENCHMARK(BM_FMUC_LoadFontFile)->Unit(benchmark::kMicrosecond);

// Prints the usual table and then the glyph rates side by side.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run> &runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run &run : runs) {
      // With repetitions, the mean stands for the benchmark.
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "mean") continue;
      auto rate = run.counters.find("items_per_second");
      if (rate == run.counters.end()) continue;
      if (run.benchmark_name().find("FMUC_PutStringAA") != std::string::npos) ours = rate->second;
      if (run.benchmark_name().find("FreeType") != std::string::npos) freetype = rate->second;
    }
  }
  double ours = 0, freetype = 0;
};

}  // namespace

int main(int argc, char **argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  if (reporter.ours > 0 && reporter.freetype > 0)
    std::printf("\nFMUC_PutStringAA %.0f glyphs/s, FreeType render+blend %.0f glyphs/s, ratio %.2f\n",
                reporter.ours, reporter.freetype, reporter.ours / reporter.freetype);
  benchmark::Shutdown();
  return 0;
}
