#pragma once

// Host names of IPv4 addresses from the system's resolver, looked up on a
// thread of their own so that no caller ever waits for one. A reverse lookup
// (getnameinfo with NI_NAMEREQD) goes through nsswitch: /etc/hosts, DNS and,
// where the system has it configured, mDNS. Each address is looked up at
// most once in the resolver's life; its answer, a name or none, is kept.
//
// The thread starts with the first lookup asked for. When the resolver
// goes, a lookup in progress is left to finish on its own (it touches only
// state it shares with the thread), so destroying a resolver never waits
// for a slow DNS server.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace nodescout {

// The name of an address (network byte order) by a blocking reverse lookup,
// or empty when there is none.
std::string ReverseLookup(std::uint32_t address);

class NameResolver {
public:
    // Resolves with lookup, which runs on the resolver's thread;
    // ReverseLookup by default.
    using LookupFunction = std::function<std::string(std::uint32_t address)>;
    explicit NameResolver(LookupFunction lookup = ReverseLookup);
    ~NameResolver();
    NameResolver(const NameResolver&) = delete;
    NameResolver& operator=(const NameResolver&) = delete;

    // The answer for an address (network byte order) once it is known: the
    // name, or empty when it has none. Until then nothing, and the address
    // is queued for a lookup unless it already was. Never blocks on a lookup.
    std::optional<std::string> Find(std::uint32_t address);

    // Waits until every queued lookup has an answer (for tests).
    void WaitUntilIdle();

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
};

} // namespace nodescout
