#include "window/announce_win32.h"

// After <windows.h>, which announce_win32.h brings in: the types only, nothing is called by import.
// clang-format off
#include <unknwn.h>
#include <oleauto.h>
// clang-format on

namespace window::win32 {

namespace {

// uiautomationcore.dll is no KnownDLL, and oleaut32.dll's strings are needed for it alone: both
// come from the system folder when first asked for, never from the import table. Systems before
// Windows 10 1709 (and Wine 8) have no UiaRaiseNotificationEvent.
using HostProviderFromHwnd = HRESULT(WINAPI*)(HWND, IUnknown**);
using RaiseNotificationEvent = HRESULT(WINAPI*)(IUnknown*, int kind, int processing, BSTR text, BSTR activity);
using AllocString = BSTR(WINAPI*)(const OLECHAR*);
using FreeString = void(WINAPI*)(BSTR);

// The SDK's NotificationKind_ActionCompleted and NotificationProcessing_ImportantMostRecent, which
// MinGW-w64's headers lack: the verdict ends what the person started, and only the latest counts.
constexpr int kNotificationActionCompleted = 2;
constexpr int kNotificationImportantMostRecent = 1;

struct Uia {
    HostProviderFromHwnd hostProvider =
        runtime::win32::SystemFunction<HostProviderFromHwnd>(L"uiautomationcore.dll", "UiaHostProviderFromHwnd");
    RaiseNotificationEvent raise =
        runtime::win32::SystemFunction<RaiseNotificationEvent>(L"uiautomationcore.dll", "UiaRaiseNotificationEvent");
    AllocString allocString = runtime::win32::SystemFunction<AllocString>(L"oleaut32.dll", "SysAllocString");
    FreeString freeString = runtime::win32::SystemFunction<FreeString>(L"oleaut32.dll", "SysFreeString");

    bool Usable() const {
        return hostProvider != nullptr && raise != nullptr && allocString != nullptr && freeString != nullptr;
    }
};

const Uia& TheUia() {
    static const Uia uia;
    return uia;
}

void Free(BSTR text) {
    TheUia().freeString(text);
}
void Release(IUnknown* provider) {
    provider->Release();
}
using UniqueString = runtime::UniqueResource<BSTR, &Free>;
using UniqueProvider = runtime::UniqueResource<IUnknown*, &Release>;

}  // namespace

void Announce(HWND window, const std::string& text) {
    const Uia& uia = TheUia();
    if (!uia.Usable()) return;
    UniqueProvider provider;
    if (FAILED(uia.hostProvider(window, provider.Out())) || !provider) return;
    const UniqueString said(uia.allocString(runtime::win32::Wide(text).c_str()));
    const UniqueString activity(uia.allocString(L"Pellwick.Verdict"));
    if (!said || !activity) return;
    // Nothing to do when no screen reader takes it.
    (void)uia.raise(provider.Get(), kNotificationActionCompleted, kNotificationImportantMostRecent, said.Get(),
                    activity.Get());
}

}  // namespace window::win32
