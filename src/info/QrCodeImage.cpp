// Build tool: draws the QR code of a text as a square black-and-white PBM
// picture, so the donation QR code on the Info tab is made from the very
// address the program opens.
//
//   quarnel_qr_image <text file> <picture.pbm>
//
// The text is the whole file (UTF-8). The picture has one pixel per module
// and the four-module quiet zone around the code; the window enlarges it by
// whole screen pixels, so its modules stay sharp and even at every scale.
#include <qrencode.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>

namespace {

constexpr std::size_t kQuietModules = 4;
constexpr unsigned kUtf8Eci = 26;

struct InputDeleter {
    void operator()(QRinput* input) const { QRinput_free(input); }
};
struct CodeDeleter {
    void operator()(QRcode* code) const { QRcode_free(code); }
};

// Readers assume ISO 8859-1 unless told otherwise; an ECI header says the
// bytes are UTF-8. Plain ASCII goes without one, which every reader accepts.
std::unique_ptr<QRcode, CodeDeleter> encode(const std::string& text) {
    std::unique_ptr<QRinput, InputDeleter> input(QRinput_new2(0, QR_ECLEVEL_M));
    if (!input) {
        return nullptr;
    }
    const bool ascii = std::all_of(text.begin(), text.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii && QRinput_appendECIheader(input.get(), kUtf8Eci) != 0) {
        return nullptr;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    if (QRinput_append(input.get(), QR_MODE_8, static_cast<int>(text.size()), bytes) != 0) {
        return nullptr;
    }
    return std::unique_ptr<QRcode, CodeDeleter>(QRcode_encodeInput(input.get()));
}

// PBM "P4": one bit per pixel, rows padded to whole bytes, 1 is black.
std::string drawPbm(const QRcode& code) {
    const auto width = static_cast<std::size_t>(code.width);
    const std::size_t origin = kQuietModules;
    const std::size_t side = width + 2 * origin;
    const std::size_t rowBytes = (side + 7) / 8;
    std::string picture = "P4\n" + std::to_string(side) + " " + std::to_string(side) + "\n";
    std::string pixels(rowBytes * side, '\0');
    for (std::size_t y = 0; y < width; ++y) {
        for (std::size_t x = 0; x < width; ++x) {
            // Bit 0 of each module byte is its colour; the others describe its role.
            const bool dark = (code.data[y * width + x] & 1) != 0;
            if (dark) {
                const std::size_t px = origin + x;
                const std::size_t at = (origin + y) * rowBytes + px / 8;
                pixels[at] = static_cast<char>(pixels[at] | (0x80 >> (px % 8)));
            }
        }
    }
    return picture + pixels;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: quarnel_qr_image <text file> <picture.pbm>\n";
        return 2;
    }
    std::ifstream source(argv[1], std::ios::binary);
    if (!source) {
        std::cerr << "quarnel_qr_image: cannot read " << argv[1] << '\n';
        return 1;
    }
    const std::string text{std::istreambuf_iterator<char>(source), {}};

    const auto code = encode(text);
    if (!code) {
        std::cerr << "quarnel_qr_image: cannot encode \"" << text << "\" as a QR code\n";
        return 1;
    }
    std::ofstream picture(argv[2], std::ios::binary | std::ios::trunc);
    picture << drawPbm(*code);
    if (!picture.flush()) {
        std::cerr << "quarnel_qr_image: cannot write " << argv[2] << '\n';
        return 1;
    }
    return 0;
}
