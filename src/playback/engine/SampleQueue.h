#pragma once
// A first-in first-out queue of float samples in one allocation: pushes and
// pops are two memcpy calls at most. Not synchronised; its owner locks.
#include <algorithm>
#include <cstring>
#include <vector>

namespace tav::engine::detail {

class SampleQueue {
public:
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    void clear() { head_ = size_ = 0; }
    void push(const float* in, size_t n) {
        if (n == 0) return;
        if (size_ + n > buf_.size()) grow(size_ + n);
        size_t tail = (head_ + size_) % buf_.size();
        const size_t first = std::min(n, buf_.size() - tail);
        std::memcpy(buf_.data() + tail, in, first * sizeof(float));
        if (n > first) std::memcpy(buf_.data(), in + first, (n - first) * sizeof(float));
        size_ += n;
    }
    size_t pop(float* out, size_t n) {
        n = std::min(n, size_);
        if (n == 0) return 0;
        const size_t first = std::min(n, buf_.size() - head_);
        std::memcpy(out, buf_.data() + head_, first * sizeof(float));
        if (n > first) std::memcpy(out + first, buf_.data(), (n - first) * sizeof(float));
        head_ = (head_ + n) % buf_.size();
        size_ -= n;
        return n;
    }

private:
    void grow(size_t need) {
        std::vector<float> bigger(std::max(need, buf_.size() * 2 + 4096));
        const size_t n = size_;
        if (n) pop(bigger.data(), n);
        buf_.swap(bigger);
        head_ = 0;
        size_ = n;
    }
    std::vector<float> buf_;
    size_t head_ = 0, size_ = 0;
};

}  // namespace tav::engine::detail
