// A few released pictures' memory kept for the next pictures of the same size: fresh memory
// costs a page fault for every page of a picture's 2.7 MB at its first fill, every picture, 30
// times a second. Bounded; thread-safe (pictures are made on the stream worker's thread and
// released on the UI thread). `Memory` is what one picture's pixels live in, `Release` frees it
// for good.
#pragma once

#include <cstddef>
#include <mutex>
#include <vector>

namespace vl {

template <typename Memory, void (*Release)(const Memory&)>
class RecycledPictures {
 public:
  static constexpr size_t kMax = 4;
  ~RecycledPictures() {
    gone_ = true;
    for (const Kept& k : kept_) Release(k.memory);
  }
  // Memory of a released picture of this size, or false.
  bool Take(int width, int height, Memory* out) {
    std::lock_guard<std::mutex> guard(lock_);
    for (size_t i = 0; i < kept_.size(); ++i)
      if (kept_[i].width == width && kept_[i].height == height) {
        *out = kept_[i].memory;
        kept_.erase(kept_.begin() + static_cast<std::ptrdiff_t>(i));
        return true;
      }
    return false;
  }
  // Keeps a released picture's memory; when enough are kept, the longest kept is freed instead,
  // so that after a change of size (the orientation toggled) the new size's pictures are kept,
  // not the old size's forever. At exit, once the store itself is gone, frees it.
  void Give(int width, int height, const Memory& memory) {
    if (gone_) {
      Release(memory);
      return;
    }
    Kept oldest{};
    bool full = false;
    {
      std::lock_guard<std::mutex> guard(lock_);
      full = kept_.size() >= kMax;
      if (full) {
        oldest = kept_.front();
        kept_.erase(kept_.begin());
      }
      kept_.push_back({memory, width, height});
    }
    if (full) Release(oldest.memory);
  }
  // Set once the store has been destroyed at exit: pictures released later free their own.
  static inline bool gone_ = false;

 private:
  struct Kept {
    Memory memory{};
    int width = 0, height = 0;
  };
  std::mutex lock_;
  std::vector<Kept> kept_;
};

}  // namespace vl
