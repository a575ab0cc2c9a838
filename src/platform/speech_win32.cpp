// Spoken texts as UI Automation notifications, which Windows' screen readers follow.

#include "platform/speech.h"

#include <windows.h>

#include <oleauto.h>
#include <unknwn.h>

namespace sorvane::platform {

namespace {

// UiaRaiseNotificationEvent's arguments (uiautomationcore.h), declared here since the game
// looks the function up at run time and older headers lack them.
enum NotificationKind : int
{
    NotificationKind_Other = 4
};
enum NotificationProcessing : int
{
    NotificationProcessing_ImportantAll = 0
};

// The provider is an IRawElementProviderSimple; the game only releases it, as an IUnknown.
using HostProviderFromHwnd = HRESULT(WINAPI*)(HWND, IUnknown**);
using RaiseNotificationEvent = HRESULT(WINAPI*)(IUnknown*, NotificationKind, NotificationProcessing,
                                                BSTR, BSTR);

struct Automation
{
    HostProviderFromHwnd hostProvider = nullptr;
    RaiseNotificationEvent raise = nullptr;
};

// Looked up once. UiaRaiseNotificationEvent exists from Windows 10 1709 on: where it is
// missing the game still starts, and raises nothing. The library is taken from the game's own
// folder or the system's, never from the current folder or the PATH.
const Automation& automation()
{
    static const Automation found = [] {
        Automation a;
        HMODULE library =
            LoadLibraryExW(L"uiautomationcore.dll", nullptr,
                           LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (!library)
            return a;
        auto hostProvider = reinterpret_cast<HostProviderFromHwnd>(
            reinterpret_cast<void*>(GetProcAddress(library, "UiaHostProviderFromHwnd")));
        auto raise = reinterpret_cast<RaiseNotificationEvent>(
            reinterpret_cast<void*>(GetProcAddress(library, "UiaRaiseNotificationEvent")));
        if (hostProvider && raise) {
            a.hostProvider = hostProvider;
            a.raise = raise;
        }
        // Kept loaded for the program's life: the functions are used until it ends.
        return a;
    }();
    return found;
}

// Owns a BSTR.
class Bstr
{
public:
    explicit Bstr(std::u16string_view text)
        : value_(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                   static_cast<UINT>(text.size())))
    {
    }
    ~Bstr() { SysFreeString(value_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return value_; }

private:
    BSTR value_;
};

} // namespace

bool raiseNotification(std::intptr_t nativeWindow, std::u16string_view text)
{
    const Automation& uia = automation();
    const HWND window = reinterpret_cast<HWND>(nativeWindow);
    if (!uia.raise || !window || text.empty())
        return false;
    IUnknown* provider = nullptr;
    if (FAILED(uia.hostProvider(window, &provider)) || !provider)
        return false;
    const Bstr display(text);
    const Bstr activity(u"Sorvane");
    HRESULT result = E_OUTOFMEMORY;
    // Other: a fact of the game, not an item or an action of a control's own. ImportantAll:
    // each text answers the pupil's own press (the sum, the verdict, the next angle, the
    // counts), none may be dropped for a later one (the new angle is the question itself),
    // and the announcer already joins the texts asked for together, so they are few.
    if (display.get() && activity.get())
        result = uia.raise(provider, NotificationKind_Other, NotificationProcessing_ImportantAll,
                           display.get(), activity.get());
    provider->Release();
    return SUCCEEDED(result);
}

} // namespace sorvane::platform
