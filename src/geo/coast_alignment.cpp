#include "geo/coast_alignment.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "geo/apt_scan_angles.h"
#include "geo/earth_model.h"
#include "geo/land_mask.h"

namespace sorae {

namespace {
// Rolls tried, in steps of half a word at nadir: about +-0.9 degrees. A roll
// moves the coasts near nadir by so many words and those at the swath's
// edges by up to four times as many, since a word there spans a quarter of
// the scan angle; the fit therefore moves every coast by the roll's own
// amount at its column, not by one column shift for the whole band. (Whole
// words were too coarse: the peak's interpolation then pulled a roll of
// 0.30 degrees to 0.27.)
constexpr int kRollSteps = 8;

struct Edge {
    int row, column;  // in the extended mask
    float gx, gy;
};

std::string Signed(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%+.1f", v);
    return text;
}
}  // namespace

AlignmentResult AlignToCoasts(const SwathInputs& inputs, const std::array<std::vector<float>, 2>& pictures,
                              const WorldOutline& outline, int fromColumn, int toColumn) {
    AlignmentResult result;
    const int rows = static_cast<int>(inputs.rowUnixSeconds.size());
    const std::vector<double>& t = inputs.rowUnixSeconds;
    if (rows < 40 || !std::isfinite(t.front()) || !std::isfinite(t.back())) {
        result.text = "kept: the pass is too short to align";
        return result;
    }
    const double slope = (t.back() - t.front()) / (rows - 1);  // seconds per saved row
    const int margin = static_cast<int>(std::ceil(kAlignMaxSeconds / std::abs(slope))) + 2;

    SwathInputs extended = inputs;
    extended.rowUnixSeconds.assign(rows + 2 * margin, NAN);
    for (int r = 0; r < rows; ++r) extended.rowUnixSeconds[r + margin] = t[r];
    extended.rowUnixSeconds.front() = t.front() - margin * slope;
    extended.rowUnixSeconds.back() = t.back() + margin * slope;
    const auto swath = SwathGeolocation::build(extended, nullptr);
    if (!swath) {
        result.text = "kept: the pass cannot be placed";
        return result;
    }
    const int extRows = swath->rows();
    const std::vector<std::uint8_t> mask = RenderLandMask(*swath, outline);
    auto m = [&](int r, int c) { return float(mask[std::size_t(r) * kImageWords + c]); };
    std::vector<Edge> edges;
    for (int r = 1; r + 1 < extRows; ++r)
        for (int c = std::max(1, fromColumn); c + 1 < std::min(kImageWords, toColumn + 1); ++c) {
            const float gx = m(r, c + 1) - m(r, c - 1), gy = m(r + 1, c) - m(r - 1, c);
            if (gx != 0.0f || gy != 0.0f) edges.push_back({r, c, gx, gy});
        }
    // coast inside the picture itself
    result.coastPixels = static_cast<int>(std::count_if(edges.begin(), edges.end(), [&](const Edge& e) {
        return e.row >= margin && e.row < margin + rows;
    }));
    if (result.coastPixels < kAlignMinCoastPixels) {
        result.text = "kept: too few coasts";
        return result;
    }

    const int shifts = 2 * margin + 1, columns = 2 * kRollSteps + 1;
    const AptScanAngles& angles = AptScanAngles::instance();
    const double rollStep = 0.5 * angles.stepAtNadir();
    const double lead = inputs.wordLeadWords;
    auto scan = [&](double column) { return (inputs.turned ? (kImageWords - 1) - column : column) + lead; };
    auto pictureColumn = [&](double s) { return inputs.turned ? (kImageWords - 1) - (s - lead) : s - lead; };
    // the picture column a coast at `column` of the mask moves to when the
    // scan is rolled by `roll` more than the inputs say
    auto rolledColumn = [&](double column, double roll) {
        return pictureColumn(angles.columnOf(angles.angleAt(scan(column)) - roll));
    };
    std::vector<float> rolled(std::size_t(columns) * kImageWords);
    for (int k = 0; k < columns; ++k)
        for (int c = 0; c < kImageWords; ++c)
            rolled[std::size_t(k) * kImageWords + c] = float(rolledColumn(c, (k - kRollSteps) * rollStep));
    std::vector<double> score(std::size_t(shifts) * columns, 0.0);
    for (const std::vector<float>& picture : pictures) {
        if (picture.size() != std::size_t(kImageWords) * rows) continue;
        // gradients, scaled by their own spread so both channels weigh alike
        auto p = [&](int r, int c) { return picture[std::size_t(r) * kImageWords + c]; };
        std::vector<float> gx(picture.size(), 0.0f), gy(picture.size(), 0.0f);
        double sum2 = 0.0;
        for (int r = 1; r + 1 < rows; ++r)
            for (int c = 1; c + 1 < kImageWords; ++c) {
                const std::size_t i = std::size_t(r) * kImageWords + c;
                gx[i] = p(r, c + 1) - p(r, c - 1);
                gy[i] = p(r + 1, c) - p(r - 1, c);
                sum2 += double(gx[i]) * gx[i] + double(gy[i]) * gy[i];
            }
        const double rms = std::sqrt(sum2 / picture.size());
        if (!(rms > 0.0)) continue;
        std::vector<double> channel(score.size(), 0.0);
        for (int s = 0; s < shifts; ++s) {
            const int dr = s - margin;
            for (int k = 0; k < columns; ++k) {
                const float* to = &rolled[std::size_t(k) * kImageWords];
                double sum = 0.0;
                for (const Edge& e : edges) {
                    const int r = e.row - margin - dr;
                    if (r < 1 || r >= rows - 1) continue;
                    // the picture's gradient there, straight-line between columns
                    const float x = to[e.column];
                    const int c = static_cast<int>(std::floor(x));
                    if (c < 1 || c + 1 >= kImageWords - 1) continue;
                    const float f = x - float(c);
                    const std::size_t i = std::size_t(r) * kImageWords + c;
                    sum += e.gx * (gx[i] + f * (gx[i + 1] - gx[i])) + e.gy * (gy[i] + f * (gy[i + 1] - gy[i]));
                }
                channel[std::size_t(s) * columns + k] = sum / (rms * result.coastPixels);
            }
        }
        // the land may be the brighter or the darker side: the sign of the
        // whole channel follows its strongest response
        const auto peak = std::max_element(channel.begin(), channel.end(),
                                           [](double a, double b) { return std::abs(a) < std::abs(b); });
        const double sign = *peak < 0 ? -1.0 : 1.0;
        for (std::size_t i = 0; i < score.size(); ++i) score[i] += sign * channel[i];
    }
    const std::size_t best = std::max_element(score.begin(), score.end()) - score.begin();
    const int bs = static_cast<int>(best) / columns, bk = static_cast<int>(best) % columns;
    const double peak = score[best];
    // how far the peak stands above the scores of shifts well away from it,
    // in their own spread: a picture without coasts peaks by chance at about
    // three spreads, a clear one at dozens
    double sum = 0.0, sum2 = 0.0;
    int farCount = 0;
    for (int s = 0; s < shifts; ++s)
        if (std::abs(s - bs) > 4)
            for (int k = 0; k < columns; ++k) {
                const double v = score[std::size_t(s) * columns + k];
                sum += v, sum2 += v * v, ++farCount;
            }
    const double mean = farCount ? sum / farCount : 0.0;
    const double spread = farCount ? std::sqrt(std::max(0.0, sum2 / farCount - mean * mean)) : 0.0;
    const double z = spread > 0.0 ? (peak - mean) / spread : 0.0;
    result.confidence = std::clamp((z - 4.0) / 8.0, 0.0, 1.0);
    // a peak on the edge of the search is no peak: the best fit may lie
    // further out
    const bool clearPeak = result.confidence >= kAlignMinConfidence;
    const bool atSearchEdge = bs == 0 || bs == shifts - 1;
    if (atSearchEdge) result.confidence = std::min(result.confidence, 0.3);

    auto refine = [](double a, double b, double c) {
        const double den = a - 2 * b + c;
        return den < 0 ? std::clamp(0.5 * (a - c) / den, -0.5, 0.5) : 0.0;
    };
    double dr = bs - margin, dk = bk - kRollSteps;
    if (bs > 0 && bs < shifts - 1)
        dr += refine(score[best - columns], peak, score[best + columns]);
    if (bk > 0 && bk < columns - 1) dk += refine(score[best - 1], peak, score[best + 1]);
    const double roll = dk * rollStep;
    result.rowShift = dr;
    result.timeOffsetSeconds = dr * slope;
    result.rollDeg = roll * kDegPerRad;
    // what the roll does where the fitted coasts lie
    const double middle = 0.5 * (std::max(0, fromColumn) + std::min(kImageWords, toColumn) - 1);
    result.columnShift = middle - rolledColumn(middle, roll);

    char confidence[16];
    std::snprintf(confidence, sizeof confidence, "%.2f", result.confidence);
    if (result.confidence >= kAlignMinConfidence && std::abs(result.timeOffsetSeconds) <= kAlignMaxSeconds) {
        result.applied = true;
        result.text = "time corrected by " + Signed(result.timeOffsetSeconds) + " s, confidence " + confidence;
    } else if (clearPeak) {
        // clear coasts, but the clock is further off than the search
        char limit[16];
        std::snprintf(limit, sizeof limit, "%.0f", kAlignMaxSeconds);
        result.text = "kept: the coasts fit best " + Signed(result.timeOffsetSeconds) + " s away" +
                      (atSearchEdge ? " or further" : "") + ", more than the " + limit +
                      " s searched either way; check the recording's start time";
    } else {
        result.text = std::string("kept: coasts not clear enough (confidence ") + confidence + ")";
    }
    return result;
}

}  // namespace sorae
