#pragma once
// Hashes on a thread of its own what a copy hands it, so that checking a
// copy costs no more than the slower of copying and hashing. The pieces are
// gathered into large blocks (a hash call has its own cost), and memory
// stays at a few of them: a copy that runs ahead of the hash waits for it.
#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vorlund {

class HashPipeline {
  public:
    using Update = std::function<void(const char* data, size_t size)>;
    explicit HashPipeline(Update update, size_t blockSize = 1 << 20, size_t blocks = 3);
    HashPipeline(const HashPipeline&) = delete;
    HashPipeline& operator=(const HashPipeline&) = delete;
    ~HashPipeline();

    // Hands the bytes on, in order; waits while every block is taken.
    void Feed(const char* data, size_t size);
    // Returns once everything fed is hashed; nothing may be fed after it.
    void Finish();

  private:
    void handOver();
    void work();

    Update update_;
    size_t blockSize_;
    std::vector<char> current_; // gathering, on the copy's side
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<char>> full_, free_;
    bool finishing_ = false, done_ = false;
    std::thread worker_;
};

} // namespace vorlund
