// Times the raster library's editor operations on an editor-sized surface (802 x 253) and
// the same operations done by pixman in the same program, then prints every figure with
// its ratio to pixman's. Another operation is one more row of kOperations: a function for
// each side.

#include "raster.h"
#include "raster_line.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <pixman.h>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 802;
constexpr int kHeight = 253;
constexpr int kKnob = 60;
constexpr float kAngle = 0.6f;  // radians
constexpr int kKnobX = 371;
constexpr int kKnobY = 96;

// straight-alpha pixel of ours as a premultiplied a8r8g8b8 word of pixman's
uint32_t Premultiplied(RAS_pixel p)
{
  const uint32_t a = RAS_GETA(p);
  const uint32_t r = RAS_GETR(p) * a / 255, g = RAS_GETG(p) * a / 255, b = RAS_GETB(p) * a / 255;
  return a << 24 | r << 16 | g << 8 | b;
}

// An image with the alpha an editor image has: discs on a 60-pixel grid, opaque inside,
// transparent around them, with an anti-aliased edge two pixels wide; noisy colours.
void Paint(RAS_MemBitmap& bm, std::mt19937& rng)
{
  RAS_pixel* bits = bm.getBits();
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x) {
      const double dx = x % kKnob - kKnob / 2.0 + 0.5, dy = y % kKnob - kKnob / 2.0 + 0.5;
      const double edge = (kKnob / 2.0 - 4.0 - std::sqrt(dx * dx + dy * dy)) / 2.0;
      const int a = edge <= 0 ? 0 : edge >= 1 ? 255 : static_cast<int>(edge * 255);
      bits[y * bm.getRowSpan() + x] = (rng() & 0xFFFFFF00u) | static_cast<RAS_pixel>(a);
    }
}

pixman_image_t* PixmanCopy(RAS_MemBitmap& bm)
{
  pixman_image_t* img = pixman_image_create_bits(PIXMAN_a8r8g8b8, bm.getWidth(), bm.getHeight(), nullptr, 0);
  uint32_t* bits = pixman_image_get_data(img);
  const int stride = pixman_image_get_stride(img) / 4;
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x)
      bits[y * stride + x] = Premultiplied(bm.getBits()[y * bm.getRowSpan() + x]);
  return img;
}

// Both sides' surfaces and images, built once.
struct Scene
{
  RAS_MemBitmap surface{kWidth, kHeight, 4};
  RAS_MemBitmap image{kWidth, kHeight, 4};          // same-size image
  RAS_MemBitmap small{kWidth / 2, kHeight / 2, 4};  // enlarged by the scaled blit
  RAS_MemBitmap knob{kKnob, kKnob, 4};              // turned by the rotated blit
  pixman_image_t* pSurface = nullptr;
  pixman_image_t* pImage = nullptr;
  pixman_image_t* pSmall = nullptr;
  pixman_image_t* pKnob = nullptr;

  Scene()
  {
    std::mt19937 rng(1);
    Paint(surface, rng);
    Paint(image, rng);
    Paint(small, rng);
    Paint(knob, rng);
    pSurface = PixmanCopy(surface);
    pImage = PixmanCopy(image);
    pSmall = PixmanCopy(small);
    pKnob = PixmanCopy(knob);

    pixman_transform_t scale;
    pixman_transform_init_scale(&scale, pixman_double_to_fixed(static_cast<double>(kWidth / 2) / kWidth),
                                pixman_double_to_fixed(static_cast<double>(kHeight / 2) / kHeight));
    pixman_image_set_transform(pSmall, &scale);
    pixman_image_set_filter(pSmall, PIXMAN_FILTER_BILINEAR, nullptr, 0);

    // destination to source: a turn about the knob's centre
    const double c = std::cos(kAngle), s = std::sin(kAngle), h = kKnob / 2.0;
    pixman_transform_t turn;
    pixman_transform_init_identity(&turn);
    turn.matrix[0][0] = pixman_double_to_fixed(c);
    turn.matrix[0][1] = pixman_double_to_fixed(s);
    turn.matrix[0][2] = pixman_double_to_fixed(h - c * h - s * h);
    turn.matrix[1][0] = pixman_double_to_fixed(-s);
    turn.matrix[1][1] = pixman_double_to_fixed(c);
    turn.matrix[1][2] = pixman_double_to_fixed(h + s * h - c * h);
    pixman_image_set_transform(pKnob, &turn);
    pixman_image_set_filter(pKnob, PIXMAN_FILTER_BILINEAR, nullptr, 0);
  }
};

Scene& TheScene()
{
  static Scene scene;
  return scene;
}

// ---- one function per operation and side

void KelvoCopyBlit(benchmark::State& state)
{
  Scene& s = TheScene();
  for (auto _ : state) RAS_Blit(&s.surface, &s.image, 0, 0, nullptr, 1.0f, 0);
}
void PixmanCopyBlit(benchmark::State& state)
{
  Scene& s = TheScene();
  for (auto _ : state)
    pixman_image_composite32(PIXMAN_OP_SRC, s.pImage, nullptr, s.pSurface, 0, 0, 0, 0, 0, 0, kWidth, kHeight);
}

void KelvoAlphaBlit(benchmark::State& state)
{
  Scene& s = TheScene();
  for (auto _ : state) RAS_Blit(&s.surface, &s.image, 0, 0, nullptr, 1.0f, 0x10000);
}
void PixmanAlphaBlit(benchmark::State& state)
{
  Scene& s = TheScene();
  for (auto _ : state)
    pixman_image_composite32(PIXMAN_OP_OVER, s.pImage, nullptr, s.pSurface, 0, 0, 0, 0, 0, 0, kWidth, kHeight);
}

void KelvoScaledBlit(benchmark::State& state)
{
  Scene& s = TheScene();
  for (auto _ : state)
    RAS_ScaledBlit(&s.surface, &s.small, 0, 0, kWidth, kHeight, 0.0f, 0.0f, kWidth / 2, kHeight / 2, 1.0f, 0x10100);
}
void PixmanScaledBlit(benchmark::State& state)
{
  Scene& s = TheScene();
  for (auto _ : state)
    pixman_image_composite32(PIXMAN_OP_OVER, s.pSmall, nullptr, s.pSurface, 0, 0, 0, 0, 0, 0, kWidth, kHeight);
}

void KelvoRotatedBlit(benchmark::State& state)
{
  Scene& s = TheScene();
  for (auto _ : state)
    RAS_RotatedBlit(&s.surface, &s.knob, kKnobX, kKnobY, kKnob, kKnob, 0.0f, 0.0f, kKnob, kKnob, kAngle, true, 1.0f,
                    0x10100, 0.0f, 0.0f);
}
void PixmanRotatedBlit(benchmark::State& state)
{
  Scene& s = TheScene();
  for (auto _ : state)
    pixman_image_composite32(PIXMAN_OP_OVER, s.pKnob, nullptr, s.pSurface, 0, 0, 0, 0, kKnobX, kKnobY, kKnob, kKnob);
}

void KelvoFill(benchmark::State& state)
{
  Scene& s = TheScene();
  for (auto _ : state) RAS_FillRect(&s.surface, 0, 0, kWidth, kHeight, RAS_RGBA(30, 60, 90, 255), 1.0f, 0);
}
void PixmanFill(benchmark::State& state)
{
  Scene& s = TheScene();
  const pixman_color_t color = {30 * 257, 60 * 257, 90 * 257, 0xFFFF};
  const pixman_rectangle16_t rect = {0, 0, kWidth, kHeight};
  for (auto _ : state) pixman_image_fill_rectangles(PIXMAN_OP_SRC, s.pSurface, &color, 1, &rect);
}

// 60 % of a colour over the surface: our copy class, pixman's OVER with a premultiplied colour
void KelvoTranslucentFill(benchmark::State& state)
{
  Scene& s = TheScene();
  for (auto _ : state) RAS_FillRect(&s.surface, 0, 0, kWidth, kHeight, RAS_RGBA(30, 60, 90, 255), 0.6f, 0);
}
void PixmanTranslucentFill(benchmark::State& state)
{
  Scene& s = TheScene();
  const double a = 0.6;
  const pixman_color_t color = {static_cast<uint16_t>(30 * 257 * a), static_cast<uint16_t>(60 * 257 * a),
                                static_cast<uint16_t>(90 * 257 * a), static_cast<uint16_t>(0xFFFF * a)};
  const pixman_rectangle16_t rect = {0, 0, kWidth, kHeight};
  for (auto _ : state) pixman_image_fill_rectangles(PIXMAN_OP_OVER, s.pSurface, &color, 1, &rect);
}

// A set of antialiased one-pixel lines across the surface: knob pointers and long
// diagonals, as an editor draws them. pixman has no line primitive: each line is a quad one
// pixel wide, two triangles composited with a solid colour.
struct LineSet
{
  struct Segment
  {
    int x1, y1, x2, y2;
  };
  std::vector<Segment> segments;
  std::vector<pixman_triangle_t> triangles;

  LineSet()
  {
    for (int i = 0; i < 32; ++i) {  // pointers of eight knobs, four positions each
      const double a = -2.35 + 4.7 * (i % 4) / 3.0;
      const int cx = 50 + (i / 4) * 100, cy = 126;
      segments.push_back({cx, cy, cx + static_cast<int>(28 * std::sin(a)), cy - static_cast<int>(28 * std::cos(a))});
    }
    for (int i = 0; i < 32; ++i)  // long diagonals and near-horizontals
      segments.push_back({i * 25, 0, kWidth - 1 - i * 25, kHeight - 1});
    for (const Segment& g : segments) {
      const double dx = g.x2 - g.x1, dy = g.y2 - g.y1, len = std::sqrt(dx * dx + dy * dy);
      const double nx = -dy / len * 0.5, ny = dx / len * 0.5;
      auto point = [](double x, double y) {
        return pixman_point_fixed_t{pixman_double_to_fixed(x + 0.5), pixman_double_to_fixed(y + 0.5)};
      };
      const pixman_point_fixed_t a = point(g.x1 + nx, g.y1 + ny), b = point(g.x2 + nx, g.y2 + ny);
      const pixman_point_fixed_t c = point(g.x2 - nx, g.y2 - ny), d = point(g.x1 - nx, g.y1 - ny);
      triangles.push_back({a, b, c});
      triangles.push_back({a, c, d});
    }
  }
};

LineSet& TheLines()
{
  static LineSet lines;
  return lines;
}

void KelvoLines(benchmark::State& state)
{
  Scene& s = TheScene();
  const LineSet& set = TheLines();
  for (auto _ : state)
    for (const LineSet::Segment& g : set.segments)
      RAS_Line(&s.surface, g.x1, g.y1, g.x2, g.y2, RAS_RGBA(230, 230, 230, 255), 1.0f, 0, true);
}
void PixmanLines(benchmark::State& state)
{
  Scene& s = TheScene();
  const LineSet& set = TheLines();
  const pixman_color_t color = {230 * 257, 230 * 257, 230 * 257, 0xFFFF};
  pixman_image_t* solid = pixman_image_create_solid_fill(&color);
  for (auto _ : state)
    pixman_composite_triangles(PIXMAN_OP_OVER, solid, s.pSurface, PIXMAN_a8, 0, 0, 0, 0,
                               static_cast<int>(set.triangles.size()), set.triangles.data());
  pixman_image_unref(solid);
}

struct Operation
{
  const char* name;
  void (*kelvo)(benchmark::State&);
  void (*pixman)(benchmark::State&);
};

const Operation kOperations[] = {
    {"CopyBlit", KelvoCopyBlit, PixmanCopyBlit},
    {"AlphaBlit", KelvoAlphaBlit, PixmanAlphaBlit},
    {"ScaledBlitBilinear", KelvoScaledBlit, PixmanScaledBlit},
    {"RotatedBlit60", KelvoRotatedBlit, PixmanRotatedBlit},
    {"Fill", KelvoFill, PixmanFill},
    {"TranslucentFill", KelvoTranslucentFill, PixmanTranslucentFill},
    {"Lines64", KelvoLines, PixmanLines},
};

// The console report, then one line per operation: ours, pixman's, and their ratio (the
// median when the runs are repeated, as they should be on a busy machine).
class RatioReporter : public benchmark::ConsoleReporter
{
public:
  void ReportRuns(const std::vector<Run>& runs) override
  {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      const std::string& name = run.run_name.function_name;
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
        mMicroseconds[name] = run.GetAdjustedRealTime();
        mMedian[name] = true;
      } else if (run.run_type == Run::RT_Iteration && !mMedian[name]) {
        mMicroseconds[name] = run.GetAdjustedRealTime();
      }
    }
  }

  void Finalize() override
  {
    ConsoleReporter::Finalize();
    std::printf("\n%-20s %12s %12s %8s\n", "operation", "ours (us)", "pixman (us)", "ratio");
    for (const Operation& op : kOperations) {
      const auto ours = mMicroseconds.find(std::string("Kelvo/") + op.name);
      const auto theirs = mMicroseconds.find(std::string("Pixman/") + op.name);
      if (ours == mMicroseconds.end() || theirs == mMicroseconds.end()) continue;
      std::printf("%-20s %12.2f %12.2f %8.2f\n", op.name, ours->second, theirs->second, ours->second / theirs->second);
    }
  }

private:
  std::map<std::string, double> mMicroseconds;
  std::map<std::string, bool> mMedian;
};

}  // namespace

int main(int argc, char** argv)
{
  for (const Operation& op : kOperations) {
    benchmark::RegisterBenchmark((std::string("Kelvo/") + op.name).c_str(), op.kelvo)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((std::string("Pixman/") + op.name).c_str(), op.pixman)->Unit(benchmark::kMicrosecond);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  TheScene();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
