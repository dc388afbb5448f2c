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

// The window of each control of the template, by its id; those without an id (0xFFFF
// as the dialog manager keeps it) by their turn among the windows without one.
std::vector<HWND> windows_of(HWND dialog, const DialogTemplate& layout)
{
    std::vector<HWND> without_id;
    for (HWND window = ::GetWindow(dialog, GW_CHILD); window != nullptr; window = ::GetWindow(window, GW_HWNDNEXT)) {
        if (static_cast<short>(::GetDlgCtrlID(window)) == no_id) without_id.push_back(window);
    }
    std::vector<HWND> windows;
    std::size_t next_without_id = 0;
    for (const Control& control : layout.controls) {
        if (control.id != no_id) windows.push_back(::GetDlgItem(dialog, control.id));
        else windows.push_back(next_without_id < without_id.size() ? without_id[next_without_id++] : nullptr);
    }
    return windows;
}

std::string text_of(HWND window)
{
    char text[4096];
    const int length = ::GetWindowTextA(window, text, static_cast<int>(sizeof text));
    return std::string(text, length > 0 ? static_cast<std::size_t>(length) : 0);
}

// The texts keep their "\r\n"; a description's lines are "\n" apart, as the Linux
// program's.
std::string without_carriage_returns(std::string text)
{
    std::erase(text, '\r');
    return text;
}

}  // namespace

Annotate annotation_service()
{
    return [](HWND window, Annotation kind, const std::string& text) {
        if (kind == Annotation::name_changed) {
            ::NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window, OBJID_CLIENT, CHILDID_SELF);
            return;
        }
        IAccPropServices* services = enter_apartment() ? annotation_services() : nullptr;
        if (services == nullptr) return;
        services->SetHwndPropStr(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                 kind == Annotation::name ? PROPID_ACC_NAME : PROPID_ACC_DESCRIPTION,
                                 wide(text).c_str());
        services->Release();
    };
}

void name_for_screen_readers(HWND dialog, int template_id, const Annotate& annotate)
{
    const DialogTemplate* layout = find_template(template_id);
    if (layout == nullptr || dialog == nullptr) return;
    const std::vector<HWND> windows = windows_of(dialog, *layout);
    for (std::size_t k = 0; k < layout->controls.size(); ++k) {
        const Control& control = layout->controls[k];
        if (windows[k] == nullptr) continue;  // a control the dialog lacks: the others are named all the same
        const std::string name = accessible_name(*layout, control);
        if (!name.empty()) annotate(windows[k], Annotation::name, name);
        if (control.kind == ControlKind::address_field) {
            const std::vector<HWND> boxes = address_boxes(windows[k]);
            for (std::size_t box = 0; box < boxes.size(); ++box)
                annotate(boxes[box], Annotation::name, address_box_name(static_cast<int>(box)));
        }
    }
}

void name_for_screen_readers(HWND dialog, int template_id)
{
    name_for_screen_readers(dialog, template_id, annotation_service());
}

void describe_for_screen_readers(HWND dialog, int template_id, const Annotate& annotate)
{
    const DialogTemplate* layout = find_template(template_id);
    if (layout == nullptr || dialog == nullptr) return;
    const std::vector<HWND> windows = windows_of(dialog, *layout);
    // Top to bottom, a value with its label.
    std::vector<std::pair<int, std::string>> body;
    for (std::size_t k = 0; k < layout->controls.size(); ++k) {
        const Control& control = layout->controls[k];
        if (!is_body(control) || windows[k] == nullptr) continue;
        const Control* label = label_for(*layout, control);
        if (label != nullptr && !is_body(*label)) body.emplace_back(label->y, std::string(label->text));
        body.emplace_back(control.y, without_carriage_returns(text_of(windows[k])));
    }
    std::stable_sort(body.begin(), body.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> texts;
    for (auto& [y, text] : body) texts.push_back(std::move(text));
    annotate(dialog, Annotation::description, screen_description(texts, bar_is_busy_indicator(template_id)));
}

void describe_for_screen_readers(HWND dialog, int template_id)
{
    describe_for_screen_readers(dialog, template_id, annotation_service());
}

void announce_caption(HWND dialog, const std::string& caption, const Annotate& annotate)
{
    HWND bar = ::GetDlgItem(dialog, controls::progress_bar);
    if (bar != nullptr) annotate(bar, Annotation::name, caption);
    annotate(dialog, Annotation::name_changed, caption);
    if (bar != nullptr) annotate(bar, Annotation::name_changed, caption);
}

void forget_names(HWND dialog)
{
    IAccPropServices* services = enter_apartment() ? annotation_services() : nullptr;
    if (services == nullptr) return;
    const MSAAPROPID name = PROPID_ACC_NAME;
    const MSAAPROPID description = PROPID_ACC_DESCRIPTION;
    services->ClearHwndProps(dialog, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &description, 1);
    for (HWND window = ::GetWindow(dialog, GW_CHILD); window != nullptr; window = ::GetWindow(window, GW_HWNDNEXT)) {
        services->ClearHwndProps(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &name, 1);
        for (HWND box : address_boxes(window))
            services->ClearHwndProps(box, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &name, 1);
    }
    services->Release();
}

}  // namespace voq::ui::win32
