// The benchmark driver: Google Benchmark's console output, then a summary of the median
// per-pixel (or per-frame) figure of every row and the ratios that the renderer's speed
// targets are stated in.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

class SummaryReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration) {
                continue;
            }
            for (const char* counter : {"ns_per_px", "ms_per_frame"}) {
                const auto it = run.counters.find(counter);
                if (it != run.counters.end()) {
                    m_samples[run.run_name.str()].push_back(it->second.value);
                    m_units[run.run_name.str()] = counter;
                }
            }
        }
    }

    // The median of a row, or a negative value when it did not run.
    double Median(const std::string& row) const {
        const auto it = m_samples.find(row);
        if (it == m_samples.end() || it->second.empty()) {
            return -1;
        }
        std::vector<double> v = it->second;
        std::sort(v.begin(), v.end());
        const size_t n = v.size();
        return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }

    void PrintSummary() const {
        std::printf("\nMedians\n");
        for (const auto& [row, samples] : m_samples) {
            std::printf("  %-48s %10.4f %s (%zu samples)\n", row.c_str(), Median(row),
                        m_units.at(row).c_str(), samples.size());
        }
        struct Target {
            const char* row;
            const char* reference;
            double limit;
        };
        const Target targets[] = {
            {"flat_quad_aa_32bit/ours", "flat_quad_aa_32bit/cairo", 1.0},
            {"flat_quad_aa_32bit/ours", "flat_quad_aa_32bit/pixman", 0.5},
            {"flat_quad_aliased_32bit/ours", "flat_quad_aliased_32bit/memset", 2.0},
            {"flat_quad_aliased_32bit/ours", "flat_quad_aliased_32bit/memset_rows", 2.0},
            {"fillbox_black_32bit/ours", "fillbox_black_32bit/memset", 1.5},
            {"flat_quad_aa_8bit/ours", "flat_quad_aa_32bit/ours", 2.0},
            {"flat_quad_aliased_8bit/ours", "flat_quad_aliased_32bit/ours", 2.0},
            {"fill_affine_aa_t32_p32/ours", "fill_affine_aa_t32_p32/pixman", 0.5},
            {"fill_perspective_aa_t32_p32/ours", "fill_perspective_aa_t32_p32/pixman", 0.35},
            {"fill_perspective_aa_t32_p32/ours", "fill_perspective_aliased_t32_p32/osmesa_mt_net",
             1.0},
            {"fill_affine_aa_t8_p32/ours", "fill_affine_aa_t32_p32/ours", 2.0},
            {"fill_perspective_aa_t8_p32/ours", "fill_perspective_aa_t32_p32/ours", 2.0},
            {"fill_affine_aliased_t8_p32/ours", "fill_affine_aliased_t32_p32/ours", 2.0},
            {"fill_perspective_aliased_t8_p32/ours", "fill_perspective_aliased_t32_p32/ours", 2.0},
            {"fill_affine_aliased_t32_p32/ours", "fill_affine_aa_t32_p32/ours", 0.7},
            {"scene_default_1920x1080_32bit_steady/ours",
             "scene_default_1920x1080_32bit_steady/pixman", 0.5},
            {"scene_default_1920x1080_32bit_fullclear/ours",
             "scene_default_1920x1080_32bit_fullclear/pixman", 0.5},
            {"scene_heavy_3840x2160_32bit_steady/ours", "scene_heavy_3840x2160_32bit_steady/pixman",
             0.5},
            {"scene_heavy_3840x2160_32bit_fullclear/ours",
             "scene_heavy_3840x2160_32bit_fullclear/pixman", 0.5},
            {"scene_default_1920x1080_8bit_steady/ours",
             "scene_default_1920x1080_32bit_steady/ours", 2.0},
            {"scene_heavy_3840x2160_8bit_steady/ours", "scene_heavy_3840x2160_32bit_steady/ours",
             2.0},
            {"scene_heavy_3840x2160_8bit_fullclear/ours",
             "scene_heavy_3840x2160_32bit_fullclear/ours", 2.0},
            {"scene_default_1920x1080_32bit_video_faces/ours/iterations:1/manual_time",
             "scene_default_1920x1080_32bit_still_faces/ours/iterations:1/manual_time", 1.5},
        };
        std::printf("\nTargets (ratio of medians)\n");
        for (const Target& t : targets) {
            const double a = Median(t.row), b = Median(t.reference);
            if (a < 0 || b <= 0) {
                continue;
            }
            const double ratio = a / b;
            std::printf("  %-40s / %-46s = %6.3f (limit %.2f) %s\n", t.row, t.reference, ratio,
                        t.limit, ratio <= t.limit ? "holds" : "MISSED");
        }
    }

  private:
    std::map<std::string, std::vector<double>> m_samples;
    std::map<std::string, std::string> m_units;
};

} // namespace

int main(int argc, char** argv) {
    // Five repetitions of every row, interleaved in random order, so that a slow spell of
    // the machine does not fall on one row of a ratio; later arguments override these.
    std::vector<char*> args(argv, argv + argc);
    char repetitions[] = "--benchmark_repetitions=5";
    char interleaving[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, {repetitions, interleaving});
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    argc = count;
    argv = args.data();
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintSummary();
    benchmark::Shutdown();
    return 0;
}
