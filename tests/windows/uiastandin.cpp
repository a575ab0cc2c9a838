// A uiautomationcore.dll of the speech test's own, put beside the test program so that the
// loader takes it before the system's. It hands out a provider for a real window only, and
// appends to the file named by SORVANE_UIA_RECORD one UTF-16 line per event, in order:
//   "provider"                      a provider handed out
//   "<kind> <processing> <activity>: <text>"   a notification raised on it
//   "released"                      the provider's last reference let go
// A notification whose text is "rifiuta" is refused, as a failing system would.
// Built with STANDIN_BEFORE_1709 it lacks UiaRaiseNotificationEvent, as Windows before 10 1709.

#include <windows.h>

#include <oleauto.h>
#include <unknwn.h>

#include <set>
#include <string>

namespace {

void record(const std::wstring& line)
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"SORVANE_UIA_RECORD", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    const HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    const std::wstring bytes = line + L'\n';
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size() * sizeof(wchar_t)), &written,
              nullptr);
    CloseHandle(file);
}

// Each provider handed out and not yet released.
std::set<IUnknown*> live;

class Provider final : public IUnknown
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        *out = IsEqualIID(iid, IID_IUnknown) ? this : nullptr;
        if (*out)
            AddRef();
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --references_;
        if (left == 0) {
            live.erase(this);
            record(L"released");
            delete this;
        }
        return left;
    }

private:
    ULONG references_ = 1;
};

} // namespace

extern "C" __declspec(dllexport) HRESULT WINAPI
    UiaHostProviderFromHwnd(HWND window, IUnknown** provider)
{
    if (!provider)
        return E_INVALIDARG;
    *provider = nullptr;
    if (!IsWindow(window))
        return E_INVALIDARG;
    *provider = new Provider;
    live.insert(*provider);
    record(L"provider");
    return S_OK;
}

#ifndef STANDIN_BEFORE_1709
extern "C" __declspec(dllexport) HRESULT WINAPI
    UiaRaiseNotificationEvent(IUnknown* provider, int kind, int processing, BSTR text,
                              BSTR activity)
{
    if (!live.count(provider) || !activity)
        return E_INVALIDARG;
    // The lengths that BSTRs carry before their characters, as the real one reads them.
    const std::wstring said(text, SysStringLen(text));
    if (said == L"rifiuta")
        return E_FAIL;
    record(std::to_wstring(kind) + L' ' + std::to_wstring(processing) + L' ' +
           std::wstring(activity, SysStringLen(activity)) + L": " + said);
    return S_OK;
}
#endif
