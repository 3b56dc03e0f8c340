// The info tips of the result list, and the main window's answer to the
// list's LVN_GETINFOTIP.

#include "ui/HostTips.h"

#include "platform/net/Inet.h"
#include "platform/text/Windows1252.h"
#include "ui/NodescoutDlg.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>

namespace nodescout {

struct CHostTips::RegistryLoad {
    std::mutex mutex;
    std::condition_variable done;
    bool started = false;
    std::unique_ptr<const VendorRegistry> registry; // set once the file is read
};

CHostTips::CHostTips(std::string registryPath, NameResolver::LookupFunction lookup)
    : m_registryPath(std::move(registryPath)), m_load(std::make_shared<RegistryLoad>()),
      m_resolver(std::move(lookup)) {}

// A load still running finishes into the state it shares with its thread.
CHostTips::~CHostTips() = default;

const VendorRegistry* CHostTips::Registry() {
    std::lock_guard lock(m_load->mutex);
    if (!m_load->started) {
        m_load->started = true;
        try {
            std::thread([load = m_load, path = m_registryPath] {
                auto registry = std::make_unique<const VendorRegistry>(VendorRegistry::Load(path));
                std::lock_guard done(load->mutex);
                load->registry = std::move(registry);
                load->done.notify_all();
            }).detach();
        } catch (const std::system_error&) {
            m_load->registry = std::make_unique<const VendorRegistry>(); // no thread: no makers
        }
    }
    return m_load->registry.get();
}

std::string CHostTips::TipText(const std::string& ipText, const std::string& macText) {
    static const VendorRegistry s_noRegistry;
    const VendorRegistry* registry = Registry();
    std::string tip;
    const std::string maker = MakerText(macText, registry ? *registry : s_noRegistry);
    if (!maker.empty()) {
        tip = "Maker: " + Utf8ToWindows1252(maker);
    }
    const in_addr_t address = inet_addr(ipText.c_str());
    if (address != INADDR_NONE) {
        const std::optional<std::string> name = m_resolver.Find(address);
        if (!name || !name->empty()) {
            tip += tip.empty() ? "" : "\n";
            tip += "Host name: " + (name ? Utf8ToWindows1252(*name) : "looking up...");
        }
    }
    return tip;
}

void CHostTips::WaitUntilIdle() {
    {
        std::unique_lock lock(m_load->mutex);
        m_load->done.wait(lock, [&] { return !m_load->started || m_load->registry; });
    }
    m_resolver.WaitUntilIdle();
}

void CNodescoutDlg::OnListGetInfoTip(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* ask = reinterpret_cast<NMLVGETINFOTIP*>(pNMHDR);
    *pResult = 0;
    if (!ask->pszText || ask->cchTextMax <= 0 || ask->iItem < 0) {
        return;
    }
    if (!m_pHostTips) {
        m_pHostTips = std::make_unique<CHostTips>();
    }
    const std::string tip = m_pHostTips->TipText(m_ListCtrl.GetItemText(ask->iItem, kAddressColumn),
                                                 m_ListCtrl.GetItemText(ask->iItem, kMacColumn));
    const std::size_t length = std::min(tip.size(), static_cast<std::size_t>(ask->cchTextMax - 1));
    std::memcpy(ask->pszText, tip.data(), length);
    ask->pszText[length] = '\0';
}

} // namespace nodescout
