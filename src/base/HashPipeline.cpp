#include "base/HashPipeline.h"

namespace vorlund {

HashPipeline::HashPipeline(Update update, size_t blocks)
    : update_(std::move(update)), free_(blocks > 0 ? blocks : 1), worker_([this] { work(); }) {}

HashPipeline::~HashPipeline() {
    Finish();
}

void HashPipeline::Feed(const char* data, size_t size) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !free_.empty(); });
    std::vector<char> block = std::move(free_.front());
    free_.pop_front();
    block.assign(data, data + size);
    full_.push_back(std::move(block));
    changed_.notify_all();
}

void HashPipeline::Finish() {
    {
        std::unique_lock lock(mutex_);
        if (done_)
            return;
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
