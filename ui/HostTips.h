#pragma once

// The info tip of a result row: what the four columns cannot tell of the
// host. "Maker: <name>" comes from the MAC's first three bytes and the IEEE
// registry (probe/HostVendor.h), "locally administered address" for such a
// MAC; "Host name: <name>" comes from the system's resolver
// (platform/net/NameResolver.h) and reads "looking up..." until the answer
// is in, so the next tip shows it. A line with nothing to say is left out.
//
// The registry is read once, on a thread of its own, when the first tip is
// asked for; until it is in, tips have no maker line. Nothing here waits:
// tips are composed on the UI thread while the window lives. Texts come out
// in Windows-1252, the window's byte encoding.

#include "platform/net/NameResolver.h"
#include "probe/HostVendor.h"

#include <memory>
#include <string>

namespace nodescout {

class CHostTips {
public:
    // Reads the registry at registryPath; resolves names with lookup.
    explicit CHostTips(std::string registryPath = VendorRegistryPath(),
                       NameResolver::LookupFunction lookup = ReverseLookup);
    ~CHostTips();
    CHostTips(const CHostTips&) = delete;
    CHostTips& operator=(const CHostTips&) = delete;

    // The tip of a row with these address and MAC texts; empty when there is
    // nothing to tell.
    std::string TipText(const std::string& ipText, const std::string& macText);

    // Waits until the registry is read and every name asked for is known
    // (for tests).
    void WaitUntilIdle();

private:
    struct RegistryLoad;
    std::string m_registryPath;
    std::shared_ptr<RegistryLoad> m_load;
    NameResolver m_resolver;

    const VendorRegistry* Registry();
};

} // namespace nodescout
