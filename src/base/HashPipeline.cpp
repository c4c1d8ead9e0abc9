#include "base/HashPipeline.h"

namespace vorlund {

HashPipeline::HashPipeline(Update update, size_t blockSize, size_t blocks)
    : update_(std::move(update)), blockSize_(blockSize > 0 ? blockSize : 1),
      free_(blocks > 1 ? blocks - 1 : 1), worker_([this] { work(); }) {
    current_.reserve(blockSize_);
}

HashPipeline::~HashPipeline() {
    Finish();
}

void HashPipeline::Feed(const char* data, size_t size) {
    while (size > 0) {
        const size_t take = std::min(size, blockSize_ - current_.size());
        current_.insert(current_.end(), data, data + take);
        data += take;
        size -= take;
        if (current_.size() == blockSize_)
            handOver();
    }
}

// The gathered block goes to the hash; a free one takes its place.
void HashPipeline::handOver() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !free_.empty(); });
    full_.push_back(std::move(current_));
    current_ = std::move(free_.front());
    free_.pop_front();
    current_.clear();
    current_.reserve(blockSize_);
    changed_.notify_all();
}

void HashPipeline::Finish() {
    if (done_)
        return;
    if (!current_.empty())
        handOver();
    {
        std::unique_lock lock(mutex_);
        finishing_ = true;
        changed_.notify_all();
    }
    worker_.join();
    done_ = true;
}

void HashPipeline::work() {
    std::unique_lock lock(mutex_);
    while (true) {
        changed_.wait(lock, [&] { return !full_.empty() || finishing_; });
        if (full_.empty())
            return;
        std::vector<char> block = std::move(full_.front());
        full_.pop_front();
        lock.unlock(); // the copy goes on while this block is hashed
        update_(block.data(), block.size());
        lock.lock();
        free_.push_back(std::move(block));
        changed_.notify_all();
    }
}

} // namespace vorlund
