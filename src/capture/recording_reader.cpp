#include "capture/recording_reader.h"

#include <sndfile.h>
#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <vector>

#include "capture/carrier_search.h"
#include "capture/flac_frames.h"
#include "capture/frequency_shift.h"
#include "capture/sample_damage.h"

namespace sorae {

namespace {

constexpr int kReadChunkFrames = 4096;    // frames asked of libsndfile at a time
constexpr int kSpareOutputFrames = 8192;  // room beyond one block in the queue
// A file broken in more places than this is read up to the last of them.
constexpr int kMostGaps = 100;

std::string quoted(const std::string& path) { return "「" + path + "」"; }

std::string hertz(double hz) {
    char text[32];
    std::snprintf(text, sizeof text, "%.0f Hz", hz);
    return text;
}

}  // namespace

int16_t floatSampleToInt16(double x) {
    double v = x * 32768.0;
    v = (v == v) ? v : 0.0;  // NaN
    v = v < -32768.0 ? -32768.0 : v;
    v = v > 32767.0 ? 32767.0 : v;
    // Round to nearest, ties to even, without a library call: adding and
    // taking away 1.5 * 2^52 leaves no fraction bits (|v| is far below 2^51).
    constexpr double kRound = 6755399441055744.0;
    v = (v + kRound) - kRound;
    return int16_t(v);
}

struct RecordingReader::Impl {
    std::string path;
    RecordingKind kind = RecordingKind::Audio;
    SNDFILE* file = nullptr;
    SF_INFO info{};
    soxr_t resampler = nullptr;  // null when the rate already fits
    bool directShorts = false;   // integer samples of 16 bits or less, no resampling
    float peakScale = 1.0f;      // < 1 for a floating-point file that goes beyond full scale
    std::vector<int16_t> monoShorts;

    // I/Q only: swap, then the shift at the recording's rate on what is
    // read, then the one at 96 kHz on what is delivered.
    bool swap = false;
    double carrierHz = RecordingReader::kQuadratureCarrierHz;
    CarrierSource carrierSource = CarrierSource::Given;
    FrequencyShift sourceShift;
    FrequencyShift outputShift;

    // Samples read from the file and not yet taken by the resampler.
    std::vector<float> input;
    size_t inputFrames = 0;
    size_t inputPos = 0;
    bool inputEnded = false;
    bool drained = false;

    // Output-rate frames (source channel count) waiting to be delivered.
    std::vector<float> queue;
    size_t queueFrames = 0;
    size_t queueCapacity = 0;

    int lastBlockFrames = 0;
    long long blocks = 0;
    RecordingError error = RecordingError::None;
    std::string message;

    long long sourcePos = 0;       // source frames taken so far, skipped ones included
    long long pendingSilence = 0;  // frames of a skipped stretch still to hand out
    bool floatData = false;        // float or double samples: screened for damage
    float damageLimit = HUGE_VALF;
    long long damaged = 0;
    double firstDamage = 0.0;
    std::vector<RecordingReader::Gap> gaps;
    std::string truncation;

    int channels() const { return info.channels; }
    int framesPerBlock() const {
        return kind == RecordingKind::Audio ? kAudioFramesPerBlock : kQuadratureFramesPerBlock;
    }

    void release() {
        if (resampler) soxr_delete(resampler);
        resampler = nullptr;
        if (file) sf_close(file);
        file = nullptr;
    }

    bool fail(RecordingError e, const std::string& text) {
        error = e;
        message = text;
        release();
        return false;
    }

    // Refills `input` from the file when it is used up.
    void readChunk() {
        if (inputPos < inputFrames || inputEnded) return;
        inputPos = 0;
        if (pendingSilence > 0) {
            const long long n = std::min<long long>(pendingSilence, kReadChunkFrames);
            std::fill(input.begin(), input.begin() + n * channels(), 0.0f);
            pendingSilence -= n;
            sourcePos += n;
            inputFrames = size_t(n);
        } else {
            const sf_count_t n = sf_readf_float(file, input.data(), kReadChunkFrames);
            inputFrames = n > 0 ? size_t(n) : 0;
            if (floatData) screenDamage(input.data(), inputFrames);
            sourcePos += sf_count_t(inputFrames);
            if (n < kReadChunkFrames) afterShortRead(n);
        }
        prepareQuadrature(input.data(), inputFrames);
    }

    // Samples that cannot be signal become silence, and are counted.
    void screenDamage(float* samples, size_t frames) {
        std::size_t first = 0;
        const long long n = SilenceDamagedSamples(samples, frames * size_t(channels()), damageLimit, &first);
        if (n > 0 && damaged == 0)
            firstDamage = double(sourcePos + sf_count_t(first / size_t(channels()))) / info.samplerate;
        damaged += n;
    }

    // After the decoder lost its place (damage in a FLAC file): goes on
    // from the first intact frame after `from`, found by its header, in
    // the file opened again; what lies between becomes silence. False when
    // nothing after it can be read.
    bool skipDamage(long long from) {
        if (!info.seekable || (info.format & SF_FORMAT_TYPEMASK) != SF_FORMAT_FLAC) return false;
        if (int(gaps.size()) >= kMostGaps) return false;
        const std::optional<long long> resume = NextIntactFlacFrame(path, from);
        if (!resume || *resume >= info.frames) return false;
        SF_INFO again{};
        SNDFILE* reopened = sf_open(path.c_str(), SFM_READ, &again);
        if (!reopened) return false;
        if (again.channels != info.channels || again.samplerate != info.samplerate ||
            sf_seek(reopened, *resume, SEEK_SET) != *resume) {
            sf_close(reopened);
            return false;
        }
        sf_close(file);
        file = reopened;
        pendingSilence += *resume - from;
        gaps.push_back({double(from) / info.samplerate, double(*resume - from) / info.samplerate});
        return true;
    }

    void prepareQuadrature(float* iq, size_t frames) {
        if (kind != RecordingKind::Quadrature) return;
        if (swap) swapChannels(iq, frames);
        sourceShift.apply(iq, frames);
    }

    static void swapChannels(float* iq, size_t frames) {
        for (size_t f = 0; f < frames; ++f) std::swap(iq[2 * f], iq[2 * f + 1]);
    }

    // Floating-point recordings may hold samples beyond full scale (a loud
    // signal saved by an SDR program, or scaled up afterwards): converting
    // them to 16 bits would clip the picture's light half. Such a file is
    // scanned once and brought down as a whole so that its peak fits; the
    // envelope's automatic level then restores the design level. Files that
    // fit, and all integer files, are taken as they are.
    // Damage (see sample_damage.h) neither sets the scale nor reaches the
    // decoder.
    bool measureFloatPeak() {
        const int subtype = info.format & SF_FORMAT_SUBMASK;
        floatData = subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE;
        if (!floatData || !info.seekable) return true;
        std::vector<float> chunk(size_t(kReadChunkFrames) * size_t(info.channels));
        FloatLevelSurvey survey;
        for (;;) {
            const sf_count_t n = sf_readf_float(file, chunk.data(), kReadChunkFrames);
            if (n <= 0) break;
            survey.add(chunk.data(), size_t(n) * size_t(info.channels));
        }
        damageLimit = survey.damageLimit();
        const double peak = survey.peak();
        // A read error is met again, and reported, when the file is read for real.
        if (sf_seek(file, 0, SEEK_SET) != 0) {
            return fail(RecordingError::ReadFailed,
                        "録音ファイル" + quoted(path) + "の読み込み中にエラーが発生しました: " +
                            sf_strerror(file));
        }
        peakScale = peak > 1.0 ? float(1.0 / peak) : 1.0f;
        return true;
    }

    // Reads the first seconds for the carrier and goes back to the start.
    // Nothing found is not an error here: the caller falls back to the IF.
    bool searchCarrier(std::optional<double>& found) {
        CarrierSearch search;
        std::vector<float> chunk(size_t(kReadChunkFrames) * 2);
        const sf_count_t wanted = sf_count_t(RecordingReader::kCarrierSearchSeconds * info.samplerate);
        sf_count_t done = 0;
        while (done < wanted) {
            const sf_count_t n = sf_readf_float(file, chunk.data(), kReadChunkFrames);
            if (n <= 0) break;
            if (swap) swapChannels(chunk.data(), size_t(n));
            search.add(chunk.data(), size_t(n));
            done += n;
        }
        if (sf_error(file) != SF_ERR_NO_ERROR) {
            return fail(RecordingError::ReadFailed,
                        "録音ファイル" + quoted(path) + "の読み込み中にエラーが発生しました: " +
                            sf_strerror(file));
        }
        if (sf_seek(file, 0, SEEK_SET) != 0) {
            return fail(RecordingError::Unsupported,
                        "録音ファイル" + quoted(path) +
                            "は先頭に戻れないため、IQ信号の搬送波を探せません: 搬送波の周波数を指定してください");
        }
        found = search.carrierHz(info.samplerate);
        return true;
    }

    // After a read that gave fewer frames than asked for: a libsndfile error
    // is reported, and a read that gave nothing ends the input.
    // A decoder that lost its place skips the damage and goes on; a file
    // that ends before its header said is noted.
    void afterShortRead(sf_count_t n) {
        const int code = sf_error(file);
        const bool lengthKnown = info.frames > 0 && info.frames < (SF_COUNT_MAX >> 1);
        // (A compressed file's length may be a few frames off.)
        const bool early = n <= 0 && lengthKnown && info.frames - sourcePos > info.samplerate / 10;
        if ((code != SF_ERR_NO_ERROR || early) && skipDamage(sourcePos)) return;
        if (code != SF_ERR_NO_ERROR) {
            error = RecordingError::ReadFailed;
            message = "録音ファイル" + quoted(path) + "の読み込み中にエラーが発生しました: " +
                      sf_error_number(code);
        } else if (early && truncation.empty()) {
            truncation = cutShortText(double(info.frames) / info.samplerate, double(sourcePos) / info.samplerate);
        }
        if (n <= 0) inputEnded = true;
    }

    std::string cutShortText(double promisedSeconds, double heldSeconds) const {
        char text[160];
        std::snprintf(text, sizeof text, "は %.1f 秒で終わっています（ヘッダーでは %.1f 秒）", heldSeconds,
                      promisedSeconds);
        return "録音ファイル" + quoted(path) + text +
               ": 書き込みかコピーの途中で切れたファイルです。あるところまでを復号しました";
    }

    // A WAV header that promises more data than the file holds (libsndfile
    // reads what is there and notes the difference in its log).
    void checkHeaderLength() {
        char log[4096] = {};
        sf_command(file, SFC_GET_LOG_INFO, log, sizeof log);
        const char* line = std::strstr(log, "\ndata : ");
        if (!line) return;
        long long promised = 0;
        long long held = 0;
        if (std::sscanf(line, "\ndata : %lld (should be %lld)", &promised, &held) != 2) return;
        if (held <= 0 || promised <= held) return;
        const double seconds = double(info.frames) / info.samplerate;
        truncation = cutShortText(seconds * double(promised) / double(held), seconds);
    }

    // Fills the queue up to `need` frames or until the recording ends.
    bool fill(size_t need) {
        int idle = 0;
        while (queueFrames < need && !drained) {
            readChunk();
            const size_t ch = size_t(channels());
            float* out = queue.data() + queueFrames * ch;
            const size_t space = queueCapacity - queueFrames;
            const size_t available = inputFrames - inputPos;
            size_t consumed = 0;
            size_t produced = 0;
            if (!resampler) {
                produced = consumed = std::min(available, space);
                std::memcpy(out, input.data() + inputPos * ch, produced * ch * sizeof(float));
                if (available == 0 && inputEnded) drained = true;
            } else if (available > 0) {
                soxr_error_t e = soxr_process(resampler, input.data() + inputPos * ch, available,
                                              &consumed, out, space, &produced);
                if (e) return failResampler(e);
            } else if (inputEnded) {
                // no more input: let the resampler give out what it holds
                soxr_error_t e = soxr_process(resampler, nullptr, 0, nullptr, out, space, &produced);
                if (e) return failResampler(e);
                if (produced == 0) drained = true;
            }
            inputPos += consumed;
            queueFrames += produced;
            idle = (consumed == 0 && produced == 0) ? idle + 1 : 0;
            if (idle > 1000) {
                return failResampler("no progress");
            }
        }
        return true;
    }

    // 16-bit (or narrower) integer samples at the output rate: read as
    // int16 straight into the block, with no conversion at all.
    bool nextDirectBlock(int16_t* frames, size_t block) {
        int16_t* target = channels() == 2 ? frames : monoShorts.data();
        size_t real = 0;
        while (real < block && !inputEnded) {
            const sf_count_t want = sf_count_t(block - real);
            if (pendingSilence > 0) {
                const long long n = std::min<long long>(pendingSilence, want);
                std::fill(target + real * channels(), target + (real + size_t(n)) * channels(), int16_t(0));
                pendingSilence -= n;
                sourcePos += n;
                real += size_t(n);
                continue;
            }
            const sf_count_t n = sf_readf_short(file, target + real * channels(), want);
            if (n > 0) {
                real += size_t(n);
                sourcePos += n;
            }
            if (n < want) afterShortRead(n);
        }
        lastBlockFrames = int(real);
        if (real == 0) return false;
        if (channels() == 1) {
            for (size_t i = 0; i < real; ++i) frames[2 * i] = frames[2 * i + 1] = monoShorts[i];
        } else if (swap) {
            for (size_t i = 0; i < real; ++i) std::swap(frames[2 * i], frames[2 * i + 1]);
        }
        std::fill(frames + 2 * real, frames + 2 * block, int16_t(0));
        ++blocks;
        return true;
    }

    // Takes the carrier (given, found, or the IF), checks that its FM band
    // fits in the recording's band, and sets up the two shifts.
    bool setUpQuadrature(const QuadratureOptions& iq) {
        swap = iq.swap;
        const double rate = info.samplerate;
        if (iq.carrierHz) {
            carrierHz = *iq.carrierHz;
            carrierSource = CarrierSource::Given;
        } else {
            std::optional<double> found;
            if (!searchCarrier(found)) return false;
            if (found) {
                carrierHz = std::round(*found / 10.0) * 10.0 + 0.0;  // no -0
                if (std::abs(carrierHz - kQuadratureCarrierHz) <= kIfSnapHz)
                    carrierHz = kQuadratureCarrierHz;
                carrierSource = CarrierSource::Found;
            } else {
                carrierHz = kQuadratureCarrierHz;
                carrierSource = CarrierSource::Assumed;
            }
        }
        if (!(std::abs(carrierHz) + kFmHalfBandHz <= rate / 2.0)) {
            const std::string why =
                carrierSource == CarrierSource::Assumed
                    ? "搬送波が見つからず、"
                    : std::string();
            return fail(RecordingError::Unsupported,
                        "録音ファイル" + quoted(path) + "は" + why + "搬送波 " + hertz(carrierHz) +
                            " のFM帯域（±20 kHz）が録音の帯域（±" + hertz(rate / 2.0) +
                            "）に入りません: 搬送波の周波数を確かめてください");
        }
        if (info.samplerate == kQuadratureRate) {
            sourceShift = FrequencyShift(kQuadratureCarrierHz - carrierHz, rate);
        } else {
            sourceShift = FrequencyShift(-carrierHz, rate);
            outputShift = FrequencyShift(kQuadratureCarrierHz, kQuadratureRate);
        }
        return true;
    }

    bool failResampler(const char* why) {
        error = RecordingError::ResamplerFailed;
        message = "録音ファイル" + quoted(path) + "の再標本化に失敗しました: " + why;
        drained = true;
        return false;
    }
};

RecordingReader::RecordingReader() : impl_(std::make_unique<Impl>()) {}

RecordingReader::~RecordingReader() { impl_->release(); }

bool RecordingReader::open(const std::string& path, RecordingKind kind,
                           const QuadratureOptions& iq, double clockRatio) {
    close();
    Impl& d = *impl_;
    d.path = path;
    d.kind = kind;

    // A FIFO or a device would keep the reader waiting for ever.
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        return d.fail(RecordingError::CannotOpen,
                      "録音ファイル" + quoted(path) + "を開けません: 通常のファイルではありません");
    }
    d.file = sf_open(path.c_str(), SFM_READ, &d.info);
    if (!d.file) {
        return d.fail(RecordingError::CannotOpen,
                      "録音ファイル" + quoted(path) + "を開けません: " + sf_strerror(nullptr));
    }
    const int rate = d.info.samplerate;
    const int channels = d.info.channels;
    const std::string shape = std::to_string(rate) + " Hz, " + std::to_string(channels) + " チャンネル";
    if (channels < 1 || channels > 2) {
        return d.fail(RecordingError::Unsupported,
                      "録音ファイル" + quoted(path) + "のチャンネル数には対応していません（" +
                          shape + "）: モノラルかステレオが必要です");
    }
    if (rate < kMinSourceRate || rate > kMaxSourceRate) {
        return d.fail(RecordingError::Unsupported,
                      "録音ファイル" + quoted(path) + "のサンプリング周波数には対応していません（" +
                          shape + "）");
    }
    if (kind == RecordingKind::Quadrature && (rate < kMinQuadratureRate || channels != 2)) {
        return d.fail(RecordingError::Unsupported,
                      "録音ファイル" + quoted(path) + "はIQ信号として読めません（" + shape +
                          "）: 48000 Hz以上のステレオが必要です（FMの帯域±20 kHzが入りません）");
    }
    if (d.info.frames == 0) {
        return d.fail(RecordingError::Empty,
                      "録音ファイル" + quoted(path) + "には音声データがありません");
    }
    d.checkHeaderLength();
    if (!d.measureFloatPeak()) return false;

    if (kind == RecordingKind::Quadrature && !d.setUpQuadrature(iq)) return false;

    const int targetRate = kind == RecordingKind::Audio ? kAudioRate : kQuadratureRate;
    // The rate the samples really came at: the header's, unless the
    // recorder's clock was measured to run off. An I/Q recording's carrier
    // is moved at the header's rate; at the true rate it then lies off by
    // the same share (24 Hz of 24 kHz at 0.1 %), which the FM detector
    // does not notice.
    const bool reclocked = clockRatio > 0.0 && clockRatio != 1.0;
    const double trueRate = reclocked ? rate * clockRatio : double(rate);
    if (reclocked || rate != targetRate) {
        const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
        soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
        if (kind == RecordingKind::Audio) {
            // The chain keeps only the APT band (2400 +- 2080 Hz) behind a
            // 5 kHz low-pass: the resampler need not keep more, and a short
            // filter with a wide transition band is several times faster.
            // Whatever folds back lands far above that band.
            constexpr double kKeptBandHz = 6000.0;
            const double nyquist = std::min(trueRate, double(targetRate)) / 2.0;
            constexpr double kWidestTransition = 0.5;  // of the Nyquist frequency, as libsoxr allows
            quality.stopband_begin = 1.0;
            quality.passband_end = std::clamp(kKeptBandHz / nyquist, quality.stopband_begin - kWidestTransition,
                                              quality.passband_end);
        }
        const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
        soxr_error_t e = nullptr;
        d.resampler = soxr_create(trueRate, double(targetRate), unsigned(channels), &e, &io,
                                  &quality, &runtime);
        if (!d.resampler || e) {
            d.failResampler(e ? e : "soxr_create");
            d.release();
            return false;
        }
    }

    const int subtype = d.info.format & SF_FORMAT_SUBMASK;
    d.directShorts = !d.resampler && d.sourceShift.isIdentity() && d.outputShift.isIdentity() &&
                     (subtype == SF_FORMAT_PCM_16 || subtype == SF_FORMAT_PCM_S8 ||
                                      subtype == SF_FORMAT_PCM_U8);
    if (d.directShorts) {
        if (channels == 1) d.monoShorts.assign(size_t(d.framesPerBlock()), 0);
        return true;
    }
    d.input.assign(size_t(kReadChunkFrames) * channels, 0.0f);
    d.queueCapacity = size_t(d.framesPerBlock()) + kSpareOutputFrames;
    d.queue.assign(d.queueCapacity * channels, 0.0f);
    return true;
}

void RecordingReader::close() {
    Impl& d = *impl_;
    d.release();
    d.info = SF_INFO{};
    d.inputFrames = d.inputPos = 0;
    d.inputEnded = d.drained = false;
    d.directShorts = false;
    d.peakScale = 1.0f;
    d.swap = false;
    d.carrierHz = kQuadratureCarrierHz;
    d.carrierSource = CarrierSource::Given;
    d.sourceShift = FrequencyShift();
    d.outputShift = FrequencyShift();
    d.queueFrames = 0;
    d.lastBlockFrames = 0;
    d.blocks = 0;
    d.error = RecordingError::None;
    d.message.clear();
    d.sourcePos = 0;
    d.pendingSilence = 0;
    d.floatData = false;
    d.damageLimit = HUGE_VALF;
    d.damaged = 0;
    d.firstDamage = 0.0;
    d.gaps.clear();
    d.truncation.clear();
}

bool RecordingReader::isOpen() const { return impl_->file != nullptr; }

bool RecordingReader::nextBlock(int16_t* frames) {
    Impl& d = *impl_;
    if (!d.file) return false;
    const size_t block = size_t(d.framesPerBlock());
    if (d.directShorts) return d.nextDirectBlock(frames, block);
    d.fill(block);
    const size_t real = std::min(d.queueFrames, block);
    if (real == 0) {
        d.lastBlockFrames = 0;
        return false;
    }
    const float* q = d.queue.data();
    if (d.peakScale != 1.0f) {
        for (size_t i = 0; i < real * size_t(d.channels()); ++i) d.queue[i] *= d.peakScale;
    }
    if (d.channels() == 1) {
        for (size_t i = 0; i < real; ++i) {
            const int16_t v = floatSampleToInt16(q[i]);
            frames[2 * i] = v;
            frames[2 * i + 1] = v;
        }
    } else {
        if (d.kind == RecordingKind::Quadrature) d.outputShift.apply(d.queue.data(), real);
        for (size_t i = 0; i < 2 * real; ++i) frames[i] = floatSampleToInt16(q[i]);
    }
    std::fill(frames + 2 * real, frames + 2 * block, int16_t(0));

    const size_t ch = size_t(d.channels());
    std::memmove(d.queue.data(), d.queue.data() + real * ch, (d.queueFrames - real) * ch * sizeof(float));
    d.queueFrames -= real;
    d.lastBlockFrames = int(real);
    ++d.blocks;
    return true;
}

int RecordingReader::lastBlockFrames() const { return impl_->lastBlockFrames; }
long long RecordingReader::blocksDelivered() const { return impl_->blocks; }
int RecordingReader::framesPerBlock() const { return impl_->framesPerBlock(); }
int RecordingReader::outputRate() const {
    return impl_->kind == RecordingKind::Audio ? kAudioRate : kQuadratureRate;
}
RecordingKind RecordingReader::kind() const { return impl_->kind; }
int RecordingReader::sourceRate() const { return impl_->info.samplerate; }
int RecordingReader::sourceChannels() const { return impl_->info.channels; }
long long RecordingReader::sourceFrames() const { return impl_->info.frames; }
double RecordingReader::carrierHz() const { return impl_->carrierHz; }
CarrierSource RecordingReader::carrierSource() const { return impl_->carrierSource; }
RecordingError RecordingReader::error() const { return impl_->error; }
const std::string& RecordingReader::errorMessage() const { return impl_->message; }
long long RecordingReader::damagedSamples() const { return impl_->damaged; }
double RecordingReader::firstDamageSeconds() const { return impl_->firstDamage; }
const std::vector<RecordingReader::Gap>& RecordingReader::gaps() const { return impl_->gaps; }
const std::string& RecordingReader::truncationNote() const { return impl_->truncation; }

}  // namespace sorae
