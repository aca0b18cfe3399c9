// The skin editor's preview after a keystroke in a size field, under Wine:
//   - the time from a key typed into "Skin Width" until the preview is
//     painted again (median and 90th percentile of 1,000 keystrokes), with
//     the shipped default skin and with a skin whose background is
//     1024x768, against a repaint of the same preview with nothing changed;
//   - the editor's GDI objects after those 1,000 redraws against before.
//   SV_TEST_BIN=<build> wine skin_editor_bench.exe
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchRow.h"
#include "tests/skineditor/EditorDriver.h"
#include "tests/support/BmpWriter.h"
#include "tests/support/GdiObjects.h"

namespace editortest {
namespace {

constexpr int kKeystrokes = 1000;
constexpr int kRepaints = 200;
// Keystrokes before the count of GDI objects is taken: the first redraws
// load the bitmaps and fonts the later ones reuse.
constexpr int kWarmUp = 20;

double Percentile(std::vector<double> samples, double share) {
  std::sort(samples.begin(), samples.end());
  return samples[static_cast<std::size_t>(share * static_cast<double>(samples.size() - 1))];
}

// A 1024x768 background of diagonal bands, so that no two rows are alike.
std::string LargeBackground() {
  std::vector<std::vector<std::uint32_t>> rows(768, std::vector<std::uint32_t>(1024));
  for (std::size_t y = 0; y < rows.size(); ++y)
    for (std::size_t x = 0; x < rows[y].size(); ++x)
      rows[y][x] = static_cast<std::uint32_t>((((x + y) % 256) * 0x010101u) ^ ((x * 7 % 256) << 16));
  return svtest::Bmp(rows);
}

struct Figures {
  double keyMedian, keyP90, repaintMedian, repaintP90;
  long gdiBefore, gdiAfter;
};

class SkinEditorBench : public EditorProgram {
 public:
  void TestBody() override {}

  Figures Measure(const std::string& skin) {
    SetUp();
    if (skin == "large") {
      std::filesystem::copy(folder / "skin" / "ardoise", folder / "skin" / "large");
      svtest::WriteFileBytes(folder / "skin" / "large" / "fond.bmp", LargeBackground());
    }
    Start({SkinPath(skin) + "skin.ini"});
    Figures figures{};
    if (!mainWindow || !WaitFor("Guard", "1")) {
      std::printf("%s: the editor did not open the skin\n", skin.c_str());
      TearDown();
      return figures;
    }
    HWND width = Control("Edit6");
    HWND preview = Control("PanelPreview");
    HWND bubble = Control("Panel1");
    // The preview's corner at the screen's, and the window large enough
    // for a 1024x768 preview: what lies off the screen is not painted.
    RECT window{}, shown{};
    GetWindowRect(mainWindow, &window);
    GetWindowRect(preview, &shown);
    SetWindowPos(mainWindow, nullptr, window.left - shown.left, window.top - shown.top,
                 shown.left - window.left + 1024 + 10, shown.top - window.top + 768 + 10,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    Type("Edit6", "300");

    // Drawn again: whatever the keystroke invalidated is painted now, and a
    // paint the editor had already begun on its own is let finish.
    auto painted = [&] {
      RedrawWindow(mainWindow, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
      svtest::SendTo(mainWindow, WM_NULL);
    };
    // One key replacing the last digit: 300 and 305 in turn.
    int typed = 0;
    auto keystroke = [&] {
      svtest::SendTo(width, EM_SETSEL, 2, 3);
      const auto start = std::chrono::steady_clock::now();
      svtest::SendTo(width, WM_CHAR, ++typed % 2 ? L'5' : L'0');
      painted();
      return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    };

    for (int i = 0; i < kWarmUp; ++i) keystroke();
    figures.gdiBefore = svtest::GdiObjects(editor->Handle());
    std::vector<double> keys;
    for (int i = 0; i < kKeystrokes; ++i) keys.push_back(keystroke());
    figures.gdiAfter = svtest::GdiObjects(editor->Handle());

    std::vector<double> repaints;
    for (int i = 0; i < kRepaints; ++i) {
      const auto start = std::chrono::steady_clock::now();
      for (HWND part : {preview, bubble})
        RedrawWindow(part, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      painted();
      repaints.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    GetWindowRect(preview, &shown);
    std::printf("%s: preview %s at %ld,%ld on the screen, width field \"%s\"\n", skin.c_str(),
                Value("Bounds", "PanelPreview").c_str(), shown.left, shown.top, Text("Edit6").c_str());
    Stop();
    TearDown();

    figures.keyMedian = Percentile(keys, 0.5);
    figures.keyP90 = Percentile(keys, 0.9);
    figures.repaintMedian = Percentile(repaints, 0.5);
    figures.repaintP90 = Percentile(repaints, 0.9);
    std::printf("%s: keystroke to preview painted %.2f ms median, %.2f ms p90 (%d keys); "
                "repaint alone %.2f ms median, %.2f ms p90; GDI objects %ld -> %ld\n",
                skin.c_str(), figures.keyMedian, figures.keyP90, kKeystrokes, figures.repaintMedian,
                figures.repaintP90, figures.gdiBefore, figures.gdiAfter);
    return figures;
  }
};

}  // namespace
}  // namespace editortest

int main() {
  const std::pair<const char*, const char*> skins[] = {{"default", "default skin"},
                                                       {"large", "1024x768 background"}};
  for (const auto& [skin, label] : skins) {
    editortest::SkinEditorBench bench;
    const editortest::Figures figures = bench.Measure(skin);
    const std::string name = std::string("skin editor: width keystroke to preview painted, ") + label;
    PrintBenchRow((name + ", median vs repaint alone").c_str(), figures.keyMedian, figures.repaintMedian, "ms");
    PrintBenchRow((name + ", p90 vs repaint alone").c_str(), figures.keyP90, figures.repaintP90, "ms");
    PrintBenchRow((std::string("skin editor: GDI objects after vs before 1,000 redraws, ") + label).c_str(),
                  static_cast<double>(figures.gdiAfter), static_cast<double>(figures.gdiBefore), "objects");
  }
  return 0;
}
