#include "frontends/win32/accessibility.h"

// initguid first: the annotation's class, interface and property ids are defined here.
#include <initguid.h>
#include <oleacc.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "ui/accessible_names.h"
#include "ui/dialog_templates.h"

namespace voq::ui::win32 {

namespace {

std::wstring wide(const std::string& text)
{
    std::wstring converted(text.size(), L'\0');
    const int written = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), converted.data(),
                                              static_cast<int>(converted.size()));
    converted.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    return converted;
}

void annotate(IAccPropServices* services, HWND window, const std::string& name)
{
    services->SetHwndPropStr(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME,
                             wide(name).c_str());
}

// The IPv4 field's own edit windows, left to right.
std::vector<HWND> address_boxes(HWND field)
{
    std::vector<std::pair<LONG, HWND>> boxes;
    for (HWND box = ::FindWindowExA(field, nullptr, "Edit", nullptr); box != nullptr && boxes.size() < 4;
         box = ::FindWindowExA(field, box, "Edit", nullptr)) {
        RECT area;
        ::GetWindowRect(box, &area);
        boxes.emplace_back(area.left, box);
    }
    std::sort(boxes.begin(), boxes.end());
    std::vector<HWND> ordered;
    for (const auto& box : boxes) ordered.push_back(box.second);
    return ordered;
}

IAccPropServices* annotation_services()
{
    IAccPropServices* services = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                  reinterpret_cast<void**>(&services))))
        return nullptr;
    return services;
}

// The annotations live in the thread's COM apartment for as long as the thread, which
// owns the screens, runs: it is entered once and never left.
bool enter_apartment()
{
    // RPC_E_CHANGED_MODE: the thread is in an apartment of the other kind already, which serves as well.
    thread_local const HRESULT entered = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    return SUCCEEDED(entered) || entered == RPC_E_CHANGED_MODE;
}

}  // namespace

void name_for_screen_readers(HWND dialog, int template_id)
{
    const DialogTemplate* layout = find_template(template_id);
    IAccPropServices* services = layout != nullptr && enter_apartment() ? annotation_services() : nullptr;
    if (services == nullptr) return;
    // The dialog manager creates the controls in template order, which is the order
    // of the dialog's child windows; a window that is not the template's next ends it.
    HWND window = ::GetWindow(dialog, GW_CHILD);
    for (const Control& control : layout->controls) {
        if (window == nullptr || static_cast<short>(::GetDlgCtrlID(window)) != control.id) break;
        const std::string name = accessible_name(*layout, control);
        if (!name.empty()) annotate(services, window, name);
        if (control.kind == ControlKind::address_field) {
            const std::vector<HWND> boxes = address_boxes(window);
            for (std::size_t box = 0; box < boxes.size(); ++box)
                annotate(services, boxes[box], address_box_name(static_cast<int>(box)));
        }
        window = ::GetWindow(window, GW_HWNDNEXT);
    }
    services->Release();
}

void forget_names(HWND dialog)
{
    IAccPropServices* services = enter_apartment() ? annotation_services() : nullptr;
    if (services == nullptr) return;
    const MSAAPROPID name = PROPID_ACC_NAME;
    for (HWND window = ::GetWindow(dialog, GW_CHILD); window != nullptr; window = ::GetWindow(window, GW_HWNDNEXT)) {
        services->ClearHwndProps(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &name, 1);
        for (HWND box : address_boxes(window))
            services->ClearHwndProps(box, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &name, 1);
    }
    services->Release();
}

}  // namespace voq::ui::win32
