#include "platform/net/NameResolver.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_map>

namespace nodescout {

std::string ReverseLookup(std::uint32_t address) {
    sockaddr_in socketAddress{};
    socketAddress.sin_family = AF_INET;
    socketAddress.sin_addr.s_addr = address;
    char host[NI_MAXHOST] = {};
    const int result =
        getnameinfo(reinterpret_cast<const sockaddr*>(&socketAddress), sizeof socketAddress, host,
                    sizeof host, nullptr, 0, NI_NAMEREQD);
    return result == 0 ? std::string(host) : std::string();
}

struct NameResolver::Shared {
    explicit Shared(LookupFunction function) : lookup(std::move(function)) {}

    LookupFunction lookup;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::uint32_t> queue;
    // Every address ever asked for; an answer once its lookup has ended.
    std::unordered_map<std::uint32_t, std::optional<std::string>> answers;
    bool threadStarted = false;
    bool stopping = false;
    bool busy = false;

    // The thread's routine: each queued address in turn, until stopping.
    static void Run(const std::shared_ptr<Shared>& shared) {
        std::unique_lock lock(shared->mutex);
        while (true) {
            shared->changed.wait(lock, [&] { return shared->stopping || !shared->queue.empty(); });
            if (shared->stopping) {
                return;
            }
            const std::uint32_t address = shared->queue.front();
            shared->queue.pop_front();
            shared->busy = true;
            lock.unlock();
            std::string name = shared->lookup(address);
            lock.lock();
            shared->answers[address] = std::move(name);
            shared->busy = false;
            shared->changed.notify_all();
        }
    }
};

NameResolver::NameResolver(LookupFunction lookup)
    : m_shared(std::make_shared<Shared>(std::move(lookup))) {}

NameResolver::~NameResolver() {
    std::lock_guard lock(m_shared->mutex);
    m_shared->stopping = true;
    m_shared->changed.notify_all();
}

std::optional<std::string> NameResolver::Find(std::uint32_t address) {
    std::lock_guard lock(m_shared->mutex);
    const auto [entry, isNew] = m_shared->answers.try_emplace(address);
    if (!isNew) {
        return entry->second;
    }
    m_shared->queue.push_back(address);
    if (!m_shared->threadStarted) {
        try {
            std::thread(Shared::Run, m_shared).detach();
            m_shared->threadStarted = true;
        } catch (const std::system_error&) {
            m_shared->answers[address] = std::string(); // no thread: no names
            m_shared->queue.clear();
            return std::nullopt;
        }
    }
    m_shared->changed.notify_all();
    return std::nullopt;
}

void NameResolver::WaitUntilIdle() {
    std::unique_lock lock(m_shared->mutex);
    m_shared->changed.wait(lock, [&] {
        return !m_shared->threadStarted || (m_shared->queue.empty() && !m_shared->busy);
    });
}

} // namespace nodescout
