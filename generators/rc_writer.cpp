// voq-rc-writer OUT_DIR TARGET_IMAGE TRANSITION_IMAGE DEVICE_XPM TELEPHONE_XPM
// Writes the Windows program's resources from the sources every front-end shares:
// OUT_DIR/voq-upgrade.rc (the ten dialog templates, the icons, the two firmware
// images) and the two icons as 16-colour .ico files.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "firmware/image.h"
#include "ui/dialog_templates.h"

namespace {

using voq::ui::ControlKind;

std::string rc_string(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"') out += "\"\"";
        else if (c == '\\') out += "\\\\";
        else out += c;
    }
    return out + "\"";
}

std::string geometry(const voq::ui::Control& c)
{
    return std::to_string(c.x) + ", " + std::to_string(c.y) + ", " + std::to_string(c.width) + ", " +
           std::to_string(c.height);
}

std::string control_line(const voq::ui::Control& c)
{
    const std::string id = std::to_string(c.id);
    const std::string at = geometry(c);
    const std::string tab = c.tab_stop ? " | WS_TABSTOP" : "";
    switch (c.kind) {
    case ControlKind::push_button:
        return "PUSHBUTTON " + rc_string(c.text) + ", " + id + ", " + at;
    case ControlKind::default_button:
        return "DEFPUSHBUTTON " + rc_string(c.text) + ", " + id + ", " + at;
    case ControlKind::text_pane:
        return "EDITTEXT " + id + ", " + at + ", ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL | ES_AUTOVSCROLL | " +
               "NOT WS_BORDER" + (c.tab_stop ? "" : " | NOT WS_TABSTOP");
    case ControlKind::value_field:
        return "EDITTEXT " + id + ", " + at + ", ES_AUTOHSCROLL | ES_READONLY";
    case ControlKind::centred_value_field:
        return "EDITTEXT " + id + ", " + at + ", ES_CENTER | ES_AUTOHSCROLL | ES_READONLY";
    case ControlKind::plain_line:
        return "EDITTEXT " + id + ", " + at + ", ES_AUTOHSCROLL | ES_READONLY | NOT WS_BORDER";
    case ControlKind::entry_field:
        return "EDITTEXT " + id + ", " + at + ", ES_AUTOHSCROLL";
    case ControlKind::password_field:
        return "EDITTEXT " + id + ", " + at + ", ES_AUTOHSCROLL | ES_PASSWORD";
    case ControlKind::label:
        return "LTEXT " + rc_string(c.text) + ", " + id + ", " + at + ", SS_LEFTNOWORDWRAP";
    case ControlKind::right_label:
        return "RTEXT " + rc_string(c.text) + ", " + id + ", " + at;
    case ControlKind::wrapped_text:
        return "LTEXT " + rc_string(c.text) + ", " + id + ", " + at;
    case ControlKind::centred_wrapped_text:
        return "CTEXT " + rc_string(c.text) + ", " + id + ", " + at;
    case ControlKind::icon:
        return "ICON " + std::to_string(c.icon) + ", " + id + ", " + at;
    case ControlKind::drop_down_list:
        return "COMBOBOX " + id + ", " + at + ", CBS_DROPDOWNLIST | WS_VSCROLL" + tab;
    case ControlKind::address_field:
        return "CONTROL \"\", " + id + ", \"SysIPAddress32\", WS_TABSTOP, " + at;
    case ControlKind::progress_bar:
        return "CONTROL \"\", " + id + ", \"msctls_progress32\", WS_BORDER, " + at;
    }
    return "";
}

std::string dialogs()
{
    std::string rc;
    for (const voq::ui::DialogTemplate& dialog : voq::ui::all_templates()) {
        rc += std::to_string(dialog.id) + " DIALOGEX 0, 0, " + std::to_string(dialog.width) + ", " +
              std::to_string(dialog.height) + "\n";
        rc += "STYLE DS_SETFONT | DS_MODALFRAME | DS_3DLOOK | WS_POPUP | WS_CAPTION | WS_SYSMENU\n";
        rc += "CAPTION " + rc_string(dialog.caption) + "\nFONT 8, \"MS Sans Serif\"\nBEGIN\n";
        for (const voq::ui::Control& control : dialog.controls) rc += "    " + control_line(control) + "\n";
        rc += "END\n\n";
    }
    return rc;
}

struct Picture {
    std::vector<std::uint32_t> palette;  // 0xRRGGBB
    std::vector<int> pixels;             // palette index, or -1 for transparent; 32 x 32
};

// Reads the project's XPM icons: 32 x 32, one character a pixel.
bool read_xpm(const char* path, Picture& picture)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    std::vector<std::string> strings;
    const std::string all = text.str();
    for (std::size_t at = all.find('"'); at != std::string::npos; at = all.find('"', at)) {
        const std::size_t end = all.find('"', at + 1);
        if (end == std::string::npos) return false;
        strings.push_back(all.substr(at + 1, end - at - 1));
        at = end + 1;
    }
    int width = 0, height = 0, colours = 0, chars = 0;
    if (strings.empty() || std::sscanf(strings[0].c_str(), "%d %d %d %d", &width, &height, &colours, &chars) != 4 ||
        width != 32 || height != 32 || chars != 1 || colours > 17 || strings.size() != 1u + colours + 32u)
        return false;
    // Index 0 is black: where the mask makes a pixel transparent, its colour must be.
    picture.palette.push_back(0x000000);
    std::map<char, int> index;
    for (int k = 0; k < colours; ++k) {
        const std::string& line = strings[1 + k];
        const std::size_t hash = line.find('#');
        if (line.find("None") != std::string::npos) {
            index[line[0]] = -1;
        } else if (hash != std::string::npos) {
            const auto rgb = static_cast<std::uint32_t>(std::stoul(line.substr(hash + 1, 6), nullptr, 16));
            if (rgb == 0) {
                index[line[0]] = 0;
            } else {
                index[line[0]] = static_cast<int>(picture.palette.size());
                picture.palette.push_back(rgb);
            }
        }
    }
    if (picture.palette.size() > 16) return false;
    for (int row = 0; row < 32; ++row) {
        const std::string& line = strings[1 + colours + row];
        if (line.size() != 32) return false;
        for (const char c : line) picture.pixels.push_back(index.count(c) ? index[c] : -1);
    }
    return true;
}

void put16(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    put16(out, value & 0xffff);
    put16(out, value >> 16);
}

// One image of an icon, size x size pixels drawn from the 32 x 32 picture by nearest
// neighbour: the colour bitmap (4 bits a pixel) and the transparency mask, bottom-up.
std::vector<std::uint8_t> icon_image(const Picture& picture, int size)
{
    const auto pixel = [&](int row, int column) { return picture.pixels[(row * 32 / size) * 32 + column * 32 / size]; };
    const int mask_row_bytes = (size / 8 + 3) & ~3;  // rows of the mask are padded to 32 bits
    std::vector<std::uint8_t> out;
    put32(out, 40);
    put32(out, static_cast<std::uint32_t>(size));
    put32(out, static_cast<std::uint32_t>(size * 2));  // the colour bitmap and the mask
    put16(out, 1);
    put16(out, 4);
    put32(out, 0);
    put32(out, static_cast<std::uint32_t>(size * size / 2 + size * mask_row_bytes));
    put32(out, 0);
    put32(out, 0);
    put32(out, 16);
    put32(out, 0);
    for (int k = 0; k < 16; ++k) {
        const std::uint32_t rgb = k < static_cast<int>(picture.palette.size()) ? picture.palette[k] : 0;
        out.insert(out.end(), {static_cast<std::uint8_t>(rgb), static_cast<std::uint8_t>(rgb >> 8),
                               static_cast<std::uint8_t>(rgb >> 16), 0});
    }
    for (int row = size - 1; row >= 0; --row) {
        for (int column = 0; column < size; column += 2) {
            const int left = std::max(pixel(row, column), 0);
            const int right = std::max(pixel(row, column + 1), 0);
            out.push_back(static_cast<std::uint8_t>(left << 4 | right));
        }
    }
    for (int row = size - 1; row >= 0; --row) {
        for (int byte = 0; byte < mask_row_bytes; ++byte) {
            std::uint8_t mask = 0;
            for (int bit = 0; bit < 8 && byte * 8 + bit < size; ++bit) {
                if (pixel(row, byte * 8 + bit) < 0) mask |= static_cast<std::uint8_t>(0x80 >> bit);
            }
            out.push_back(mask);
        }
    }
    return out;
}

// The icon in the sizes a dialog asks for at 100%, 150% and 200% scaling, so that a
// program aware of the monitor's DPI shows it sharp.
std::vector<std::uint8_t> ico(const Picture& picture)
{
    constexpr int sizes[] = {32, 48, 64};
    std::vector<std::vector<std::uint8_t>> images;
    for (const int size : sizes) images.push_back(icon_image(picture, size));
    std::vector<std::uint8_t> out;
    put16(out, 0);
    put16(out, 1);
    put16(out, static_cast<std::uint32_t>(images.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
    for (std::size_t k = 0; k < images.size(); ++k) {
        out.insert(out.end(), {static_cast<std::uint8_t>(sizes[k]), static_cast<std::uint8_t>(sizes[k]), 16, 0});
        put16(out, 1);
        put16(out, 4);
        put32(out, static_cast<std::uint32_t>(images[k].size()));
        put32(out, offset);
        offset += static_cast<std::uint32_t>(images[k].size());
    }
    for (const std::vector<std::uint8_t>& image : images) out.insert(out.end(), image.begin(), image.end());
    return out;
}

bool write_file(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::fputs("usage: voq-rc-writer OUT_DIR TARGET_IMAGE TRANSITION_IMAGE DEVICE_XPM TELEPHONE_XPM\n", stderr);
        return 2;
    }
    const std::string out_dir = argv[1];
    const char* icons[] = {argv[4], argv[5]};
    const char* icon_files[] = {"device_106.ico", "phone_286.ico"};
    for (int k = 0; k < 2; ++k) {
        Picture picture;
        if (!read_xpm(icons[k], picture)) {
            std::fprintf(stderr, "voq-rc-writer: %s is not a 32 x 32 icon of at most 16 colours\n", icons[k]);
            return 1;
        }
        const std::vector<std::uint8_t> bytes = ico(picture);
        if (!write_file(out_dir + "/" + icon_files[k], std::string(bytes.begin(), bytes.end()))) return 1;
    }
    std::string rc =
        "// Written by voq-rc-writer from ui/dialog_templates.cpp and ui/icons; do not edit.\n"
        "#include <windows.h>\n#include <commctrl.h>\n\n";
    rc += std::to_string(voq::ui::device_icon) + " ICON \"device_106.ico\"\n" +
          std::to_string(voq::ui::telephone_icon) + " ICON \"phone_286.ico\"\n\n";
    rc += std::to_string(voq::fw::target_image_id) + " VOQ_FIRMWARE " + rc_string(argv[2]) + "\n" +
          std::to_string(voq::fw::transition_image_id) + " VOQ_FIRMWARE " + rc_string(argv[3]) + "\n\n";
    rc += dialogs();
    return write_file(out_dir + "/voq-upgrade.rc", rc) ? 0 : 1;
}
