// The parallel LZY coder: blocks coded at once on several threads, stitched
// into exactly the bytes of the sequential coder.
//
// Why it works: the match the coder takes at a position depends only on the
// data (every coded byte enters the dictionary, matched or not, and the
// window is counted from the position itself), so the parse is a walk in
// which each position decides its own step. A walk started anywhere visits
// the same positions as the true one from the first position both visit. A
// block is therefore coded from its own start, speculatively; the true parse,
// continued from where the previous block ended, searches only until it
// stands on a position the block's parse also visited (a few steps: at most
// the length of the match it started inside). From there the decisions agree;
// only the grouping of literals into runs of 127 may differ, so the block's
// literal bytes are regrouped onto the true run up to the block's first match,
// which ends any run in both, and the block's tokens are kept from there.
#include <algorithm>
#include <condition_variable>
#include <deque>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "deziva27/compress/detail/LZCoder.h"
#include "deziva27/compress/detail/LZSearch.h"

namespace dz::detail {
namespace {

constexpr int64_t kHistory = kLZWindowSize;  // bytes before a block a match may reach
constexpr int64_t kLook = 64;                // bytes past a block its last token may read
constexpr int64_t kPad = 64;                 // zeroed slack for word-wide loads

struct Literals {
  int64_t Start = 0;
  int Count = 0;
};

// One block: its data with history and look-ahead, and its speculative result.
struct Block {
  std::vector<uint8_t> Buf;  // data from Origin on, then kPad zeros
  int64_t Origin = 0;
  int64_t Start = 0, End = 0;
  std::vector<uint8_t> Out;  // tokens, the final literal run still open
  int64_t Reached = 0;       // the first position the parse did not code
  Literals Open;
  size_t Resume = 0;  // set by the stitch: Out is kept from here on
  bool Done = false;  // coded; under the coder's mutex
};

class BlockCoder {
 public:
  BlockCoder(const Block& b, int64_t total)
      : FBuf(b.Buf.data()),
        FOrigin(b.Origin),
        FTotal(total),
        FDict(std::make_unique<Dictionary>()) {}

  // Puts positions [from, to) into the dictionary, as coding them would.
  void Warm(int64_t from, int64_t to) {
    for (int64_t q = from; q < to; ++q) FDict->Add(At(q), q);
  }

  // Codes from cur while cur < end; the last literal run stays open in lit.
  void Code(int64_t& cur, int64_t end, Literals& lit, std::vector<uint8_t>& out);

  // Adds the literals [from, to) to the open run, writing each run that
  // reaches 127 bytes.
  void Regroup(int64_t from, int64_t to, Literals& lit, std::vector<uint8_t>& out) {
    while (from < to) {
      if (lit.Count == kLZMaxLiteralRun) Close(lit, out);
      if (lit.Count == 0) lit.Start = from;
      int64_t n = std::min<int64_t>(kLZMaxLiteralRun - lit.Count, to - from);
      lit.Count += static_cast<int>(n);
      from += n;
    }
  }

  void Close(Literals& lit, std::vector<uint8_t>& out) {
    if (lit.Count == 0) return;
    out.push_back(static_cast<uint8_t>(lit.Count * 2));
    out.insert(out.end(), At(lit.Start), At(lit.Start) + lit.Count);
    lit.Count = 0;
  }

 private:
  const uint8_t* At(int64_t pos) const { return FBuf + (pos - FOrigin); }

  const uint8_t* FBuf;
  int64_t FOrigin, FTotal;
  std::unique_ptr<Dictionary> FDict;
};

void BlockCoder::Code(int64_t& cursor, int64_t end, Literals& lit, std::vector<uint8_t>& out) {
  // Room for the worst case: every byte a literal, plus a run's header per
  // 127, plus one last match running past end.
  size_t outLen = out.size();
  out.resize(outLen + static_cast<size_t>((end - cursor + kLZMaxMatch) * 129 / 127 + 2 * 130));
  // Locals throughout: the tokens are stored through a byte pointer, which
  // may alias anything, so members and the caller's variables would be
  // loaded again after every store (a few per cent on text).
  uint8_t* const o = out.data();
  const uint8_t* const buf = FBuf;
  const int64_t origin = FOrigin, total = FTotal;
  Dictionary& dict = *FDict;
  int64_t cur = cursor, litStart = lit.Start;
  int litCount = lit.Count;
  while (cur < end) cur = ParseStep(dict, buf, origin, cur, total, o, outLen, litStart, litCount);
  cursor = cur;
  lit.Start = litStart;
  lit.Count = litCount;
  out.resize(outLen);
}

// A block's own parse, from its start with nothing open.
void CodeBlock(Block& b, int64_t total) {
  BlockCoder c(b, total);
  c.Warm(std::max<int64_t>(b.Origin, b.Start - kHistory), b.Start);
  b.Out.reserve(static_cast<size_t>(b.End - b.Start) + 1024);
  int64_t cur = b.Start;
  c.Code(cur, b.End, b.Open, b.Out);
  b.Reached = cur;
}

// Joins block b to the true parse, which stands at truePos with the literal
// run open: writes to out what comes before the part of b.Out that is kept
// (b.Resume on), and leaves truePos and open as they are after the block.
void Stitch(Block& b, int64_t total, int64_t& truePos, Literals& open, std::vector<uint8_t>& out) {
  BlockCoder c(b, total);
  bool warm = false;
  const std::vector<uint8_t>& t = b.Out;
  size_t i = 0;           // the block's token at or after truePos
  int64_t pos = b.Start;  // where token i starts; past the tokens, the open run
  auto span = [&](size_t k) -> int64_t {
    return t[k] & 1 ? (t[k + 1] >> 4) + kLZMinMatch : t[k] >> 1;
  };
  for (;;) {
    while (i < t.size() && truePos >= pos + span(i)) {
      pos += span(i);
      i += t[i] & 1 ? 2 : 1 + static_cast<size_t>(t[i] >> 1);
    }
    // Visited by the block's parse unless strictly inside one of its matches.
    const bool inside = i < t.size() && (t[i] & 1) && truePos > pos;
    if (!inside || truePos >= b.Reached) break;
    if (!warm) {
      c.Warm(std::max<int64_t>(b.Origin, truePos - kHistory), truePos);
      warm = true;
    }
    c.Code(truePos, truePos + 1, open, out);  // one step of the true parse
  }
  b.Resume = t.size();
  if (truePos >= b.Reached) return;  // the true parse ran through the block
  // Both parses stand on truePos: the block's literals up to its first match
  // join the open run; from that match on its tokens are the true ones.
  while (i < t.size() && !(t[i] & 1)) {
    c.Regroup(std::max(truePos, pos), pos + span(i), open, out);
    pos += span(i);
    i += 1 + static_cast<size_t>(t[i] >> 1);
  }
  if (i < t.size()) {
    c.Close(open, out);
    b.Resume = i;
    open = b.Open;
  } else {
    c.Regroup(std::max(truePos, pos), b.Reached, open, out);
  }
  truePos = b.Reached;
}

// Replays the steps of the sequential coder from the tokens written, for the
// progress calls: one a coded position, with how far that coder had read.
class StepReporter {
 public:
  StepReporter(const TCoderProgress& progress, int64_t startPos, int64_t srcSize, int64_t total)
      : FProgress(progress), FStartPos(startPos), FSrcSize(srcSize), FTotal(total) {}

  void Tokens(const uint8_t* t, size_t n) {
    if (!FProgress) return;
    for (size_t i = 0; i < n;) {
      if (t[i] & 1) {
        unsigned w = t[i] | unsigned{t[i + 1]} << 8;
        Step();
        FPos += (w >> 12) + kLZMinMatch;
        i += 2;
      } else {
        int run = t[i] >> 1;
        for (int k = 0; k < run; ++k, ++FPos) Step();
        i += 1 + static_cast<size_t>(run);
      }
    }
  }

 private:
  void Step() {
    int64_t readTo = FTotal - FPos > kLZMaxLiteralRun ? FPos + kLZMaxLiteralRun : FTotal;
    FProgress(FStartPos + readTo, FSrcSize);
  }

  const TCoderProgress& FProgress;
  int64_t FStartPos, FSrcSize, FTotal;
  int64_t FPos = 0;
};

}  // namespace

int DefaultCoderThreads() {
  unsigned n = std::thread::hardware_concurrency();
  return n == 0 ? 1 : static_cast<int>(std::min(n, 64u));
}

void LZEncodeParallel(TStream& Src, TStream& Dest, const TCoderProgress& Progress, int Threads,
                      int64_t BlockSize) {
  const int64_t startPos = Src.Position();
  const int64_t srcSize = Src.Size();
  const int64_t total = std::max<int64_t>(0, srcSize - startPos);
  if (Threads <= 0) Threads = DefaultCoderThreads();
  if (BlockSize <= 0) {
    if (Threads == 1 || total < kLZParallelMinimum) {
      LZEncode(Src, Dest, Progress);
      return;
    }
    BlockSize = kLZParallelBlock;
  }
  if (total == 0) return;
  // Blocks take unequal times, so a last block of full size would keep one
  // thread busy while the others have nothing left. Near the end, each block
  // is a share of what remains (guided scheduling), down to an eighth of a
  // full one, and the threads finish closer together.
  const int64_t smallest = std::min<int64_t>(BlockSize, std::max<int64_t>(BlockSize / 8, 64));
  auto blockAt = [&](int64_t start) {
    const int64_t rest = total - start;
    return std::min(rest, std::clamp<int64_t>(rest / (2 * Threads), smallest, BlockSize));
  };

  // The bytes read but still needed: the history and look-ahead of the next
  // block.
  std::vector<uint8_t> carry;
  int64_t carryFrom = 0;
  int64_t loadFrom = 0;  // where the next block starts
  auto load = [&] {
    auto b = std::make_unique<Block>();
    b->Start = loadFrom;
    b->End = loadFrom += blockAt(loadFrom);
    b->Origin = std::max<int64_t>(0, b->Start - kHistory);
    const int64_t to = std::min(total, b->End + kLook);
    b->Buf.resize(static_cast<size_t>(to - b->Origin + kPad));
    const int64_t carryTo = carryFrom + static_cast<int64_t>(carry.size());
    const int64_t have = std::max(b->Origin, std::min(carryTo, to));
    if (have > b->Origin)
      std::memcpy(b->Buf.data(), carry.data() + (b->Origin - carryFrom),
                  static_cast<size_t>(have - b->Origin));
    if (to > have)
      Src.ReadBuffer(b->Buf.data() + (have - b->Origin), static_cast<int32_t>(to - have));
    std::memset(b->Buf.data() + (to - b->Origin), 0, kPad);
    carryFrom = std::max(b->Origin, b->End - kHistory);
    carry.assign(b->Buf.begin() + (carryFrom - b->Origin), b->Buf.begin() + (to - b->Origin));
    return b;
  };

  // At most Threads blocks are coded at once, and one more may wait, coded,
  // for its turn: a thread whose block is done before the one ahead of it
  // takes the next block instead of waiting for that one to be written.
  // Memory: Threads + 1 blocks.
  std::mutex mutex;  // guards each Block::Done
  std::condition_variable changed;
  std::deque<std::unique_ptr<Block>> queued;  // loaded, in order
  std::deque<std::future<void>> tasks;        // declared after queued: they use its blocks
  auto launch = [&] {
    queued.push_back(load());
    Block* b = queued.back().get();
    tasks.push_back(std::async(std::launch::async, [b, total, &mutex, &changed] {
      auto finish = [&] {
        {
          std::lock_guard<std::mutex> hold(mutex);
          b->Done = true;
        }
        changed.notify_one();
      };
      try {
        CodeBlock(*b, total);
      } catch (...) {
        finish();
        throw;
      }
      finish();
    }));
  };
  // The next block in order once it is coded, starting blocks as threads come
  // free; null after the last. Rethrows what coding the block threw.
  auto next = [&]() -> std::unique_ptr<Block> {
    std::unique_lock<std::mutex> lock(mutex);
    auto coding = [&] {
      return std::count_if(queued.begin(), queued.end(), [](const auto& q) { return !q->Done; });
    };
    for (;;) {
      while (loadFrom < total && std::ssize(queued) <= Threads && coding() < Threads) {
        lock.unlock();
        launch();
        lock.lock();
      }
      if (queued.empty()) return nullptr;
      if (queued.front()->Done) break;
      changed.wait(lock);
    }
    lock.unlock();
    tasks.front().get();
    tasks.pop_front();
    std::unique_ptr<Block> b = std::move(queued.front());
    queued.pop_front();
    return b;
  };

  StepReporter steps(Progress, startPos, srcSize, total);
  auto write = [&](const uint8_t* t, size_t n) {
    if (n == 0) return;
    Dest.WriteBuffer(t, static_cast<int32_t>(n));
    steps.Tokens(t, n);
  };

  int64_t truePos = 0;  // where the true parse stands
  Literals open;        // its literal run not yet written
  std::vector<uint8_t> stitched;
  std::unique_ptr<Block> b;
  for (bool first = true; std::unique_ptr<Block> got = next(); first = false) {
    b = std::move(got);
    if (first) {
      write(b->Out.data(), b->Out.size());
      truePos = b->Reached;
      open = b->Open;
      continue;
    }
    stitched.clear();
    Stitch(*b, total, truePos, open, stitched);
    write(stitched.data(), stitched.size());
    if (b->Resume < b->Out.size()) write(b->Out.data() + b->Resume, b->Out.size() - b->Resume);
  }
  // The open literals lie in the last block's data.
  if (open.Count > 0) {
    stitched.clear();
    BlockCoder(*b, total).Close(open, stitched);
    write(stitched.data(), stitched.size());
  }
}

}  // namespace dz::detail
