#include "hosts/quorvane/GlassCommand.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>

#include "assets/wallpapers/QuorvaneWallpaper.h"
#include "glass/LiquidGlassView.h"
#include "platform/base/DeviceRoot.h"
#include "platform/base/Utf8.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/Time.h"
#include "platform/graphics/ImageContext.h"
#include "platform/graphics/ImageFile.h"
#include "platform/text/AttributedString.h"
#include "platform/text/Font.h"
#include "platform/text/FontWeight.h"
#include "platform/text/TextLine.h"
#include "platform/text/VariationAxis.h"
#include "platform/ui/Compositor.h"
#include "platform/ui/DeviceProfile.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

constexpr char kUsageText[] =
    "usage: quorvane glass [options]\n"
    "  -o, --output FILE        PNG to write (default: glass.png). An existing regular file is\n"
    "                           replaced; anything else at that path (a symbolic link, a device,\n"
    "                           a FIFO, a folder) is refused and left as it is\n"
    "  --wallpaper FILE         PNG or JPEG wallpaper, filling the screen (default: built-in)\n"
    "  --text TEXT              the text the glass is shaped as, 1-100 bytes (default: 9:41)\n"
    "  --rounded-rect           a rounded rectangle of glass instead of text\n"
    "  --corner-radius PT       corner radius of the rounded rectangle, 0 to half its height\n"
    "                           (default: 36)\n"
    "  --bezel-width PT         width of the bent rim, 0-50 (default: 24)\n"
    "  --thickness T            glass thickness, 0-200 (default: 150)\n"
    "  --refraction-scale S     strength of the bending, 0-5 (default: 1.5)\n"
    "  --index N                refractive index, above 0 up to 5 (default: 1.5)\n"
    "  --specular-opacity O     strength of the rim light, 0-1 (default: 0.6)\n"
    "  --blur PT                blur of the wallpaper behind the glass, 0-50 (default: 3)\n"
    "  --font FILE              font for the text (default: the clock's variable font)\n"
    "  --weight W               variable font weight axis, 100-1000 (default: 750)\n"
    "  --width W                variable font width axis, 60-100 (default: 100)\n"
    "  --height H               variable font height axis, 100-500 (default: 350)\n"
    "  --softness S             variable font softness axis, 0-100 (default: 56)\n"
    "  --device PROFILE         modern-phone, phone-60hz, legacy-phone or tablet\n"
    "  --crop                   write only the glass and its surroundings\n"
    "  -h, --help               show this text\n"
    "  --version                show the version\n";

// The longest --text: the glass is fitted to the screen's width, so more text only costs time.
constexpr std::size_t kMaxTextBytes = 100;

// The clock's glass settings when nothing is configured.
struct Options {
    std::string output = "glass.png";
    std::string wallpaper;
    std::string text = "9:41";
    std::string font;
    std::string device = "modern-phone";
    bool roundedRect = false;
    bool crop = false;
    double cornerRadius = 36;
    double bezelWidth = 24;
    double thickness = 150;
    double refractionScale = 1.5;
    double index = 1.5;
    double specularOpacity = 0.6;
    double blur = 3;
    // The clock font's axes; the font clamps each to its own range.
    double weight = 750;
    double width = 100;
    double height = 350;
    double softness = 56;
};

std::optional<double> parseNumber(const std::string& text) {
    double value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

// A number option with the range it accepts; `aboveMinimum` makes the lower end exclusive.
struct NumberOption {
    const char* name;
    double* target;
    double minimum;
    double maximum;
    bool aboveMinimum = false;
};

std::optional<Options> parseOptions(const std::vector<std::string>& args, std::ostream& err) {
    Options o;
    // The glass ranges are the settings page's; the axis ranges are the clock font's.
    const NumberOption numbers[] = {
        // The corner radius's upper end depends on the screen; it is checked once that is known.
        {"--corner-radius", &o.cornerRadius, 0, std::numeric_limits<double>::max()},
        {"--bezel-width", &o.bezelWidth, 0, 50},
        {"--thickness", &o.thickness, 0, 200},
        {"--refraction-scale", &o.refractionScale, 0, 5},
        {"--index", &o.index, 0, 5, true},
        {"--specular-opacity", &o.specularOpacity, 0, 1},
        {"--blur", &o.blur, 0, 50},
        {"--weight", &o.weight, 100, 1000},
        {"--width", &o.width, 60, 100},
        {"--height", &o.height, 100, 500},
        {"--softness", &o.softness, 0, 100},
    };
    const std::pair<const char*, std::string*> strings[] = {
        {"--output", &o.output}, {"--wallpaper", &o.wallpaper}, {"--text", &o.text},
        {"--font", &o.font},     {"--device", &o.device},
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string arg = args[i] == "-o" ? "--output" : args[i];
        if (arg == "--rounded-rect") {
            o.roundedRect = true;
            continue;
        }
        if (arg == "--crop") {
            o.crop = true;
            continue;
        }
        bool known = false;
        for (const auto& option : numbers) {
            if (arg != option.name) continue;
            known = true;
            std::optional<double> value =
                i + 1 < args.size() ? parseNumber(args[i + 1]) : std::nullopt;
            if (!value) {
                err << "quorvane glass: " << option.name << " needs a number\n";
                return std::nullopt;
            }
            const bool low =
                option.aboveMinimum ? *value <= option.minimum : *value < option.minimum;
            if (low || *value > option.maximum) {
                err << "quorvane glass: " << option.name << " must be "
                    << (option.aboveMinimum ? "above " : "from ") << option.minimum << " to "
                    << option.maximum << ", got " << args[i + 1] << "\n";
                return std::nullopt;
            }
            *option.target = *value;
            ++i;
        }
        for (const auto& [name, target] : strings) {
            if (arg != name) continue;
            known = true;
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                err << "quorvane glass: " << name << " needs a value\n";
                return std::nullopt;
            }
            *target = args[++i];
        }
        if (!known) {
            err << kUsageText << "quorvane glass: unknown option '" << args[i] << "'\n";
            return std::nullopt;
        }
    }
    if (o.text.size() > kMaxTextBytes || !base::isValidUtf8(o.text)) {
        err << "quorvane glass: --text must be valid UTF-8 text of at most " << kMaxTextBytes
            << " bytes\n";
        return std::nullopt;
    }
    return o;
}

// The wallpaper as the screen shows it: scaled to fill the screen, centred, at the screen's scale.
graphics::ImageRef fillScreen(const graphics::Image& image, base::Size screen, double scale) {
    auto context = graphics::ImageContext::begin(screen, true, scale);
    if (!context) return nullptr;
    const base::Size size = image.size();
    const double fill = std::max(screen.width / size.width, screen.height / size.height);
    const base::Size drawn{size.width * fill, size.height * fill};
    context->context().drawImage(
        image, {(screen.width - drawn.width) / 2, (screen.height - drawn.height) / 2, drawn.width,
                drawn.height});
    return context->image();
}

// The font the text is set in, at any size: the file given with --font, else the clock's variable
// font from the settings bundle in the device tree or from the source tree, else the heavy system
// font. A --font that cannot be used is an error, never a silent fallback.
struct TextFont {
    text::FontRef font;
    bool variable = false;  // takes the clock's axes
};

std::optional<TextFont> loadTextFont(const Options& o, std::string* error) {
    constexpr double kAnySize = 100;
    if (!o.font.empty()) {
        auto font = text::Font::fromFile(o.font, kAnySize, error);
        if (!font) return std::nullopt;
        return TextFont{font, true};
    }
    const std::string candidates[] = {
        base::resolveDevicePath(
            "/var/jb/Library/PreferenceBundles/QuorvanePrefs.bundle/SFAdaptiveSoftNumeric-VF.otf"),
        QV_CLOCK_FONT_SOURCE};
    for (const auto& candidate : candidates) {
        if (auto font = text::Font::fromFile(candidate, kAnySize)) return TextFont{font, true};
    }
    return TextFont{text::Font::systemFont(kAnySize, text::FontWeight::Heavy), false};
}

text::FontRef clockFont(const Options& o, const TextFont& source, double size) {
    if (!source.variable) return source.font->withSize(size);
    return source.font->withVariations({{text::axisTag("wght"), o.weight},
                                        {text::axisTag("wdth"), o.width},
                                        {text::axisTag("HGHT"), o.height},
                                        {text::axisTag("SOFT"), o.softness}},
                                       size);
}

std::shared_ptr<const text::TextLine> layOutText(const std::string& string,
                                                 const text::FontRef& font) {
    text::Attributes attributes{
        {std::string(text::kLayoutFontAttribute), font},
        {std::string(text::kLayoutForegroundColorAttribute), base::Color::white(1)}};
    return text::TextLine::create(text::AttributedString(string, attributes));
}

struct TextGlass {
    base::Rect frame;  // screen points
    graphics::ImageRef mask;
};

// The text set large where the lock-screen clock sits, and its alpha mask over the glass frame.
std::optional<TextGlass> makeTextGlass(const Options& o, const TextFont& source, base::Size screen,
                                       double scale) {
    constexpr double kProbeSize = 100;
    auto probe = layOutText(o.text, clockFont(o, source, kProbeSize));
    if (!probe || probe->glyphPathBounds().isNull()) return std::nullopt;
    const base::Rect probeInk = probe->glyphPathBounds();
    const double size = kProbeSize * std::min(screen.width * 0.74 / probeInk.width(),
                                              screen.height * 0.15 / probeInk.height());
    auto line = layOutText(o.text, clockFont(o, source, size));
    const base::Rect ink = line->glyphPathBounds();

    // Room around the ink for the rim's light to fade out.
    const double pad = std::ceil(std::max(8.0, o.bezelWidth * 0.5));
    const base::Size glassSize{std::ceil(ink.width() + 2 * pad), std::ceil(ink.height() + 2 * pad)};
    const base::Rect frame{std::round((screen.width - glassSize.width) / 2),
                           std::round(screen.height * 0.11), glassSize.width, glassSize.height};

    auto context = graphics::ImageContext::begin(glassSize, false, scale);
    if (!context) return std::nullopt;
    auto& c = context->context();
    // Text draws y up: flip, then put the ink's bottom-left at (pad, pad).
    c.translate(0, glassSize.height);
    c.scale(1, -1);
    c.setTextPosition({pad - ink.minX(), pad - ink.minY()});
    line->draw(c);
    return TextGlass{frame, context->image()};
}

}  // namespace

int runGlassCommand(const std::vector<std::string>& args, const std::string& deviceRoot,
                    std::ostream& out, std::ostream& err) {
    for (const auto& arg : args) {
        if (arg == "--help" || arg == "-h") {
            out << kUsageText;
            return kOk;
        }
        if (arg == "--version") {
            out << "quorvane glass " << QV_VERSION << "\n";
            return kOk;
        }
    }
    const std::optional<Options> parsed = parseOptions(args, err);
    if (!parsed) return kUsage;
    const Options& o = *parsed;
    base::setDeviceRoot(deviceRoot);
    // Refused before the picture is drawn: only a regular file is ours to replace.
    std::error_code ec;
    if (const auto kind = std::filesystem::symlink_status(o.output, ec).type();
        kind != std::filesystem::file_type::not_found &&
        kind != std::filesystem::file_type::regular && kind != std::filesystem::file_type::none) {
        err << "quorvane glass: refusing to replace " << o.output
            << ": it exists and is not a regular file\n";
        return kFailed;
    }

    // Pass 1: the screen.
    const std::optional<ui::DeviceProfile> profile = ui::DeviceProfile::named(o.device);
    if (!profile) {
        err << "quorvane glass: unknown device '" << o.device << "'\n";
        return kUsage;
    }
    ui::Screen::setMainProfile(*profile, false);
    const auto screen = ui::Screen::main();
    const base::Size screenSize = screen->bounds().size;
    const double scale = screen->scale();
    const base::Size rectSize{std::round(screenSize.width * 0.78),
                              std::round(screenSize.height * 0.16)};
    // A radius beyond half the rectangle's shorter side leaves no straight edge to round.
    const double maxCornerRadius = std::min(rectSize.width, rectSize.height) / 2;
    if (o.cornerRadius > maxCornerRadius) {
        err << "quorvane glass: --corner-radius must be from 0 to " << maxCornerRadius << " on "
            << o.device << " (half the rectangle's height), got " << o.cornerRadius << "\n";
        return kUsage;
    }

    // Pass 1b: the font, before any drawing, so a bad --font is reported at once.
    std::optional<TextFont> font;
    if (!o.roundedRect) {
        std::string reason;
        font = loadTextFont(o, &reason);
        if (!font) {
            err << "quorvane glass: --font: " << reason << "\n";
            return kFailed;
        }
    }

    // Pass 2: the wallpaper, filling the screen.
    graphics::ImageRef wallpaper;
    if (o.wallpaper.empty()) {
        wallpaper = QVMakeDefaultWallpaper(int(std::lround(screenSize.width * scale)),
                                           int(std::lround(screenSize.height * scale)), scale);
    } else {
        std::string reason;
        auto file = graphics::readImageFile(o.wallpaper, &reason);
        if (!file) {
            err << "quorvane glass: " << reason << "\n";
            return kFailed;
        }
        wallpaper = fillScreen(*file, screenSize, scale);
    }
    if (!wallpaper) {
        err << "quorvane glass: the wallpaper could not be drawn\n";
        return kFailed;
    }

    // Pass 3: the glass's place and shape.
    base::Rect glassFrame;
    graphics::ImageRef mask;
    if (o.roundedRect) {
        glassFrame = {std::round((screenSize.width - rectSize.width) / 2),
                      std::round(screenSize.height * 0.11), rectSize.width, rectSize.height};
    } else {
        auto textGlass = makeTextGlass(o, *font, screenSize, scale);
        if (!textGlass) {
            err << "quorvane glass: the text '" << o.text
                << "' leaves no ink to shape glass (the font may have no glyphs for it)\n";
            return kUsage;
        }
        glassFrame = textGlass->frame;
        mask = textGlass->mask;
    }

    // Pass 4: a window with the wallpaper and the glass over it.
    auto window = ui::Window::create(screen->bounds());
    auto wallpaperView = ui::ImageView::create(screen->bounds());
    wallpaperView->setImage(wallpaper);
    window->addSubview(wallpaperView);
    auto glass = LiquidGlassView::create(glassFrame, wallpaper, {0, 0});
    if (!glass) {
        err << "quorvane glass: no GPU (see the log above)\n";
        return kFailed;
    }
    glass->setUpdateGroup(LiquidGlassView::kClockUpdateGroup);
    glass->setBezelWidth(o.bezelWidth);
    glass->setGlassThickness(o.thickness);
    glass->setRefractionScale(o.refractionScale);
    glass->setRefractiveIndex(o.index);
    glass->setSpecularOpacity(o.specularOpacity);
    glass->setBlur(o.blur);
    if (o.roundedRect) glass->setCornerRadius(o.cornerRadius);
    glass->setShapeMaskImage(mask);
    window->addSubview(glass);
    window->makeKeyAndVisible();

    // Pass 5: run the main loop until the glass has shown a frame.
    window->layoutIfNeeded();
    glass->updateOrigin();
    const dispatch::Nanos deadline = dispatch::nowNanos() + 20 * dispatch::kNanosPerSecond;
    while (glass->surfaceView()->presentedFrameCount() == 0 && dispatch::nowNanos() < deadline) {
        dispatch::RunLoop::main().runFor(dispatch::milliseconds(10));
    }
    if (glass->surfaceView()->presentedFrameCount() == 0) {
        err << "quorvane glass: the GPU drew no frame\n";
        return kFailed;
    }

    // Pass 6: the window as the compositor shows it (the glass surface shows its frame), cut to
    // the glass and its surroundings when asked.
    const graphics::ImageRef shown = ui::renderViewImage(*window, scale);
    if (!shown) {
        err << "quorvane glass: the screen could not be composed\n";
        return kFailed;
    }
    base::Rect area = screen->bounds();
    if (o.crop) {
        area = glassFrame.insetBy(-24, -24).intersection(screen->bounds()).integral();
    }
    auto composed = graphics::ImageContext::begin(area.size, true, scale);
    if (!composed) {
        err << "quorvane glass: cannot make a " << area.size.width << " x " << area.size.height
            << " point picture to write\n";
        return kFailed;
    }
    composed->context().drawImage(*shown, screen->bounds().offsetBy(-area.minX(), -area.minY()));
    auto image = composed->image();
    std::string reason;
    // The output's folder is made when missing, so "--output out/glass.png" works anywhere.
    if (const auto folder = std::filesystem::path(o.output).parent_path(); !folder.empty()) {
        std::error_code ignored;
        std::filesystem::create_directories(folder, ignored);
    }
    if (!image || !graphics::writePNGFile(*image, o.output, &reason)) {
        err << "quorvane glass: cannot write " << o.output << ": " << reason << "\n";
        return kFailed;
    }
    out << "wrote " << o.output << " (" << image->pixelWidth() << " x " << image->pixelHeight()
        << " pixels)\n";
    return kOk;
}
