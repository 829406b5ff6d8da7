// Fuzz target: bytes from the line through the chunker, acceptance and
// dispatcher into a fresh shared state. Two modes, chosen by the first byte:
//
// Even: arbitrary bytes in arbitrary pieces. State changes only through a
// valid answer of its type and every value stays in range.
//
// Odd: a stream built from real answers (header 0x50 0x43 0x00, length, type,
// data), cut into reads at random places, split by short pauses and idle gaps,
// with answers cut short (and sometimes their tails sent after the gap) and
// runs of noise between them. Noise and answer data never hold a byte pair
// that reads as a plausible length and type (such a pair is altered): bytes
// that look exactly like an answer cannot be told from one, on any line. Then:
//   - every frame delivered is one of the whole answers of the stream, in
//     order, so nothing is raised or changed that no whole answer would;
//   - a whole answer is delivered when it ends its burst or is followed at
//     once by another answer's first five bytes, unless it is in the first
//     burst after a cut answer (which may be that answer's tail).
// With the second bit of the first byte set, the chunker knows the ECU's
// header (0x50 0x43 0x00, as a handshake teaches it) and the noise also holds
// crafted headers: other header bytes before a plausible length and type.
// Then every whole answer is delivered, wherever it lies among the noise,
// the cut answers and their tails.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/shared.h"
#include "link/chunker.h"
#include "link/dispatcher.h"
#include "link/layouts.h"

namespace {

using namespace kelvo6;
using link::Bytes;

void check(bool ok) {
  if (!ok) std::abort();
}

// The state the receive path may change, compared field by field.
bool sameState(const core::Shared& a, const core::Shared& b) {
  for (int n = 1; n <= 62; ++n)
    if (a.param(n).ecu != b.param(n).ecu) return false;
  for (int n = 1; n <= 64; ++n)
    if (a.cell(n).ecu != b.cell(n).ecu) return false;
  const auto& la = a.live;
  const auto& lb = b.live;
  if (la.lambda1 != lb.lambda1 || la.lambda2 != lb.lambda2 || la.rpm != lb.rpm || la.state != lb.state ||
      la.fuelFlag != lb.fuelFlag || la.kgbInUse != lb.kgbInUse || la.calState != lb.calState ||
      la.petrolTime != lb.petrolTime || la.level != lb.level || la.injectionTime != lb.injectionTime)
    return false;
  const auto& ra = a.received;
  const auto& rb = b.received;
  return ra.paramSet == rb.paramSet && ra.liveData == rb.liveData && ra.fuelSwitchAck == rb.fuelSwitchAck &&
         ra.defaultsAck == rb.defaultsAck && ra.downloadAck == rb.downloadAck && ra.version == rb.version &&
         ra.table == rb.table && ra.calData == rb.calData && ra.calOnAck == rb.calOnAck &&
         ra.calOffAck == rb.calOffAck && ra.eolStartAck == rb.eolStartAck && ra.injectorFlags == rb.injectorFlags &&
         a.version == b.version && a.eol.testState == b.eol.testState && a.eol.checkBytes == b.eol.checkBytes &&
         a.calib.injectorFlags == b.calib.injectorFlags;
}

bool guardedAndSet(const core::Shared& s, int type) {
  const auto& f = s.received;
  switch (type) {
    case 1: return f.paramSet;
    case 4: return f.fuelSwitchAck;
    case 5: return f.defaultsAck;
    case 6: return f.downloadAck;
    case 7: return f.version;
    case 8: return f.table;
    case 11: return f.calOnAck;
    case 12: return f.calOffAck;
    case 14: return f.eolStartAck;
    case 16: return f.injectorFlags;
    default: return false;
  }
}

// What an accepted answer of `type` may change in the ECU values: the set read
// (1) or the table (8) replaces them; an echo (2, 9) confirms one item, and
// only with the value the tool asked for; no other answer touches them.
void checkEcuValues(const core::Shared& before, const core::Shared& after, int type) {
  int paramsChanged = 0;
  for (int n = 1; n <= 62; ++n) {
    check(after.param(n).pending == before.param(n).pending);
    if (after.param(n).ecu == before.param(n).ecu) continue;
    ++paramsChanged;
    check(type == 1 || (type == 2 && after.param(n).ecu == after.param(n).pending));
  }
  int cellsChanged = 0;
  for (int n = 1; n <= 64; ++n) {
    check(after.cell(n).pending == before.cell(n).pending);
    if (after.cell(n).ecu == before.cell(n).ecu) continue;
    ++cellsChanged;
    check(type == 8 || (type == 9 && after.cell(n).ecu == after.cell(n).pending));
  }
  check(type != 2 || paramsChanged <= 1);
  check(type != 9 || cellsChanged <= 1);
}

void checkRanges(const core::Shared& s) {
  for (int n = 1; n <= 62; ++n) check(s.param(n).ecu >= 0 && s.param(n).ecu <= 65535);
  for (int n = 1; n <= 64; ++n) check(s.cell(n).ecu >= 0 && s.cell(n).ecu <= 255);
  const auto& l = s.live;
  for (int v : {l.lambda1, l.lambda2, l.kgbTable, l.kgbCorrected, l.pressure1, l.pressure2, l.temperature1,
                l.temperature2, l.rpm, l.level, l.kgbInUse, l.injectionTime})
    check(v >= 0 && v <= 65535);
  for (int v : {l.state, l.fuelFlag, l.calState}) check(v >= 0 && v <= 255);
}

// A shared state with pending values from a fixed pattern, so that some echoes confirm.
void seed(core::Shared& shared, bool bulk) {
  for (int n = 1; n <= 62; ++n) shared.param(n).pending = (n * 37) % 1024;
  for (int n = 1; n <= 64; ++n) shared.cell(n).pending = 100 + n % 16;
  shared.bulkTransfer = bulk;
}

// Hands a chunk to the dispatcher and checks what it changed.
void dispatchChecked(link::Dispatcher& dispatcher, core::Shared& shared, const Bytes& chunk) {
  core::Shared before = shared;
  bool acted = dispatcher.handle(chunk);
  if (!acted) {
    // A rejected echo or a dropped chunk leaves everything as it was.
    check(sameState(before, shared));
    return;
  }
  check(chunk.size() >= 5 && chunk[3] == chunk.size());
  int type = chunk[4];
  check(type >= 1 && type <= 16);
  check(!guardedAndSet(before, type));
  bool guarded = type == 1 || type == 4 || type == 5 || type == 6 || type == 7 || type == 8 || type == 11 ||
                 type == 12 || type == 14 || type == 16;
  check(!guarded || guardedAndSet(shared, type));
  checkEcuValues(before, shared, type);
  checkRanges(shared);
}

constexpr link::Header kHeader{0x50, 0x43, 0x00};

void arbitraryBytes(const std::uint8_t* data, std::size_t size, bool headerKnown) {
  core::Shared shared;
  seed(shared, size % 2 == 1);
  link::NullDisplay display;
  link::Dispatcher dispatcher(shared, display);
  link::Chunker chunker(30);
  if (headerKnown) chunker.expectHeader(kHeader);

  // The first byte of each piece says how long it is and how long the line was idle before it.
  std::size_t i = 0;
  std::int64_t now = 0;
  while (i < size) {
    std::uint8_t control = data[i++];
    std::size_t length = std::min<std::size_t>(1 + control % 64, size - i);
    now += (control >> 6) * 20;  // 0, 20, 40 or 60 ms
    for (const Bytes& chunk : chunker.feed(data + i, length, now)) dispatchChecked(dispatcher, shared, chunk);
    i += length;
  }
  for (const Bytes& chunk : chunker.idle(now + 1000)) dispatchChecked(dispatcher, shared, chunk);
}

// ---- Structured mode ----

constexpr int kIdleGapMs = 30;
constexpr std::size_t kMaxStream = 1200;

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool empty() const { return at_ >= size_; }
  std::uint8_t next() { return at_ < size_ ? data_[at_++] : 0; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

struct Whole {
  std::size_t start, length;
  int burst;
  bool mustArrive = false;
};

class Stream {
 public:
  Stream(Input& in, bool headerKnown) : in_(in), headerKnown_(headerKnown) {}

  void build() {
    while (!in_.empty() && bytes_.size() < kMaxStream) {
      std::uint8_t op = in_.next();
      switch (op % 8) {
        case 0:
        case 1:
        case 2:
        case 3: whole(op % 8 == 3); break;
        case 4: noise(); break;
        case 5: cut(); break;
        case 6: gap(); break;
        default: now_ += in_.next() % kIdleGapMs; break;
      }
    }
    repair();
    decideWhatMustArrive();
  }

  const Bytes& bytes() const { return bytes_; }
  const std::vector<std::int64_t>& times() const { return times_; }
  const std::vector<Whole>& wholes() const { return wholes_; }

 private:
  enum class Kind { kWhole, kNoise, kHead, kTail };
  struct Element {
    Kind kind;
    std::size_t start, length;
    int burst;
  };

  Bytes answer(bool longer) {
    int type = in_.next() % 16 + 1;
    int length = link::answerLength(type) + (longer ? in_.next() % (link::FrameShapes::kAnswerSpare + 1) : 0);
    Bytes a{0x50, 0x43, 0x00, static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(type)};
    while (static_cast<int>(a.size()) < length) a.push_back(in_.next());
    return a;
  }

  // Appends bytes in reads: pieces of 1 to 16 bytes, each after a pause of 0
  // (the same read) to 29 ms.
  void append(const std::uint8_t* b, std::size_t n, Kind kind, bool header) {
    if (n == 0) return;
    if (pendingCut_) {
      burstAfterCut_.push_back(burst_);
      pendingCut_ = false;
    }
    elements_.push_back({kind, bytes_.size(), n, burst_});
    std::size_t done = 0;
    while (done < n) {
      std::uint8_t piece = in_.next();
      std::size_t take = std::min<std::size_t>(1 + piece % 16, n - done);
      for (std::size_t k = 0; k < take; ++k) {
        std::size_t position = done + k;
        bytes_.push_back(b[position]);
        times_.push_back(now_);
        protected_.push_back(header && position < 5);
      }
      done += take;
      now_ += (piece >> 4) % 3 == 0 ? 0 : (piece >> 4) % kIdleGapMs;
    }
  }

  void whole(bool longer) {
    Bytes a = answer(longer);
    wholes_.push_back({bytes_.size(), a.size(), burst_});
    append(a.data(), a.size(), Kind::kWhole, true);
  }

  void noise() {
    Bytes n(1 + in_.next() % 6);
    for (auto& b : n) b = in_.next();
    if (headerKnown_ && (n[0] & 1)) {
      // A crafted header: a plausible length and type behind other header
      // bytes. The altered byte is never a type (above 16), so no pair of
      // header bytes reads as a length and type.
      Bytes a = answer(false);
      std::uint8_t& altered = a[in_.next() % 3];
      const auto other = static_cast<std::uint8_t>(17 + in_.next() % 239);
      altered = other != altered ? other : static_cast<std::uint8_t>(altered ^ 0x80);
      n.insert(n.begin(), a.begin(), a.begin() + 5);
      append(n.data(), n.size(), Kind::kNoise, true);
      return;
    }
    append(n.data(), n.size(), Kind::kNoise, false);
  }

  // An answer cut short: its head, an idle gap, and sometimes the rest after it.
  void cut() {
    Bytes a = answer(false);
    std::size_t keep = 1 + in_.next() % (a.size() - 1);
    bool tail = in_.next() & 1;
    append(a.data(), keep, Kind::kHead, true);
    gap();
    if (keep >= 5) pendingCut_ = true;
    if (tail) {
      // The tail carries no header of its own: the bytes it holds of the
      // header were protected with the head.
      Bytes rest(a.begin() + static_cast<std::ptrdiff_t>(keep), a.end());
      std::size_t from = bytes_.size();
      append(rest.data(), rest.size(), Kind::kTail, false);
      for (std::size_t k = 0; k < rest.size() && keep + k < 5; ++k) protected_[from + k] = true;
    }
  }

  void gap() {
    now_ += kIdleGapMs + 1 + in_.next() % 60;
    ++burst_;
  }

  // Alters every byte pair that reads as a plausible length and type, except
  // those of the answers' own headers: nothing but a real header may look like one.
  void repair() {
    const auto shapes = link::FrameShapes::answers();
    for (std::size_t p = 0; p + 1 < bytes_.size(); ++p) {
      if (!shapes.fits(bytes_[p + 1], bytes_[p])) continue;
      if (protected_[p] && protected_[p + 1]) continue;  // a header's own length and type
      check(!protected_[p + 1]);
      bytes_[p + 1] = 0xEE;  // neither a type nor a length
    }
  }

  bool isAfterCut(int burst) const {
    for (int b : burstAfterCut_)
      if (b == burst) return true;
    return false;
  }

  void decideWhatMustArrive() {
    std::size_t w = 0;
    for (std::size_t e = 0; e < elements_.size(); ++e) {
      if (elements_[e].kind != Kind::kWhole) continue;
      Whole& whole = wholes_[w++];
      if (headerKnown_) {
        whole.mustArrive = true;
        continue;
      }
      if (isAfterCut(whole.burst)) continue;
      bool endsBurst = e + 1 == elements_.size() || elements_[e + 1].burst != whole.burst;
      bool answerFollows = !endsBurst && (elements_[e + 1].kind == Kind::kWhole ||
                                          (elements_[e + 1].kind == Kind::kHead && elements_[e + 1].length >= 5));
      whole.mustArrive = endsBurst || answerFollows;
    }
  }

  Input& in_;
  bool headerKnown_;
  Bytes bytes_;
  std::vector<std::int64_t> times_;
  std::vector<bool> protected_;
  std::vector<Element> elements_;
  std::vector<Whole> wholes_;
  std::vector<int> burstAfterCut_;
  std::int64_t now_ = 100;
  int burst_ = 0;
  bool pendingCut_ = false;
};

// Whether the delivered frames are whole answers, in order, covering every
// answer that must arrive: an order-keeping match of frames onto answers.
bool deliveredAsPromised(const Stream& stream, const std::vector<Bytes>& frames) {
  const auto& wholes = stream.wholes();
  const Bytes& bytes = stream.bytes();
  auto same = [&](std::size_t w, std::size_t f) {
    const Whole& whole = wholes[w];
    return frames[f].size() == whole.length &&
           std::equal(frames[f].begin(), frames[f].end(), bytes.begin() + static_cast<std::ptrdiff_t>(whole.start));
  };
  const std::size_t nw = wholes.size(), nf = frames.size();
  // fits[w][f]: frames f.. match onto answers w.. with every answer that must
  // arrive among them matched.
  std::vector<char> fits((nw + 1) * (nf + 1), 0);
  auto at = [&](std::size_t w, std::size_t f) -> char& { return fits[w * (nf + 1) + f]; };
  at(nw, nf) = 1;
  for (std::size_t w = nw; w-- > 0;) {
    for (std::size_t f = nf + 1; f-- > 0;) {
      bool skip = !wholes[w].mustArrive && at(w + 1, f);
      bool take = f < nf && same(w, f) && at(w + 1, f + 1);
      at(w, f) = skip || take;
    }
  }
  return at(0, 0);
}

void realAnswers(const std::uint8_t* data, std::size_t size, bool headerKnown) {
  Input in(data, size);
  Stream stream(in, headerKnown);
  stream.build();

  core::Shared shared;
  seed(shared, false);
  link::NullDisplay display;
  link::Dispatcher dispatcher(shared, display);
  link::Chunker chunker(kIdleGapMs);
  if (headerKnown) chunker.expectHeader(kHeader);
  std::vector<Bytes> frames;
  auto take = [&](std::vector<Bytes> delivered) {
    for (Bytes& frame : delivered) {
      dispatchChecked(dispatcher, shared, frame);
      frames.push_back(std::move(frame));
    }
  };
  const Bytes& bytes = stream.bytes();
  const auto& times = stream.times();
  for (std::size_t from = 0; from < bytes.size();) {
    std::size_t to = from;
    while (to < bytes.size() && times[to] == times[from]) ++to;
    // The program's idle timer fires in every quiet gap, as the next read does.
    if (from > 0 && (times[from] & 1)) take(chunker.idle(times[from]));
    take(chunker.feed(bytes.data() + from, to - from, times[from]));
    from = to;
  }
  if (!times.empty()) take(chunker.idle(times.back() + kIdleGapMs + 1));
  check(deliveredAsPromised(stream, frames));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool headerKnown = data[0] & 2;
  if (data[0] & 1) {
    realAnswers(data + 1, size - 1, headerKnown);
  } else {
    arbitraryBytes(data + 1, size - 1, headerKnown);
  }
  return 0;
}
