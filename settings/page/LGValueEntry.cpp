#include "settings/page/LGValueEntry.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <string>

#include "platform/text/NumberParser.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Label.h"
#include "platform/ui/Slider.h"
#include "platform/ui/TextField.h"
#include "settings/model/LGSettingsItems.h"
#include "settings/page/detail/SurfaceAttachments.h"
#include "support/LGSharedSupport.h"

using namespace surface_detail;

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    return text;
}

// The leading decimal number of `text` ("12.5kg" → 12.5, "-.5" → -0.5), 0 when it has none.
// Only digits, one point, a sign and an exponent count: words such as "inf" or "nan" are text.
double leadingDecimal(std::string_view text) {
    std::size_t i = 0;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    const std::size_t start = i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
    }
    double value = 0;
    const std::string_view digits = text.substr(start, i - start);
    if (digits.empty() || digits == ".") return 0;
    // from_chars also takes an exponent after the mantissa when one follows.
    const auto result = std::from_chars(text.data() + start, text.data() + text.size(), value,
                                        std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range)
        value = HUGE_VAL;
    else if (result.ec != std::errc())
        return 0;
    return negative ? -value : value;
}

}  // namespace

std::optional<double> LGParseEnteredValue(std::string_view text, const text::Locale& locale) {
    const std::string_view input = trimmed(text);
    if (input.empty()) return std::nullopt;
    if (const std::optional<double> read = text::NumberParser(locale).parse(input)) return *read;
    std::string dotted(input);
    std::replace(dotted.begin(), dotted.end(), ',', '.');
    const double value = leadingDecimal(dotted);
    return std::isnan(value) ? 0.0 : value;
}

void LGPresentValueEntry(const std::shared_ptr<ui::ViewController>& page,
                         const std::shared_ptr<ui::Label>& valueLabel) {
    if (!page || !valueLabel) return;
    const std::shared_ptr<ValueLabelAttachment> a = attachedValueLabel(*valueLabel);
    if (!a || a->key.empty() || !a->minimum || !a->maximum || !a->decimals) return;
    const std::shared_ptr<ui::Slider> slider = a->slider.lock();
    if (!slider) return;
    const double minimum = a->minimum->doubleValue().value_or(0);
    const double maximum = a->maximum->doubleValue().value_or(0);
    const int64_t decimals = a->decimals->int64Value().value_or(0);

    // Pass 1: the alert, its range and the current value.
    const std::string title = a->title.empty() ? "输入数值" : a->title;
    const std::string message = "请输入 " + LGFormatSliderValue(decimals, minimum) + " 到 " +
                                LGFormatSliderValue(decimals, maximum) + " 之间的数值。";
    auto alert = ui::AlertController::create(title, message, ui::AlertControllerStyle::Alert);
    const std::string current = LGFormatSliderValue(decimals, slider->value());
    alert->addTextFieldWithConfigurationHandler([&current](ui::TextField& field) {
        field.setKeyboardType(ui::KeyboardType::DecimalPad);
        field.setPlaceholder(current);
        field.setText(current);
        field.setClearButtonMode(ui::TextFieldViewMode::WhileEditing);
    });

    // Pass 2: "应用" reads, clamps, shows and stores.
    const std::weak_ptr<ui::AlertController> weakAlert = alert;
    const std::weak_ptr<ui::Slider> weakSlider = slider;
    const std::weak_ptr<ui::Label> weakLabel = valueLabel;
    const std::string key = a->key;
    alert->addAction(ui::AlertAction::create("取消", ui::AlertActionStyle::Cancel));
    alert->addAction(ui::AlertAction::create(
        "应用", ui::AlertActionStyle::Default,
        [weakAlert, weakSlider, weakLabel, key, minimum, maximum, decimals](ui::AlertAction&) {
            const std::shared_ptr<ui::AlertController> shown = weakAlert.lock();
            if (!shown || shown->textFields().empty()) return;
            const std::optional<double> entered =
                LGParseEnteredValue(shown->textFields().front()->text());
            if (!entered) return;
            const double clamped =
                std::clamp(*entered, std::min(minimum, maximum), std::max(minimum, maximum));
            if (const auto control = weakSlider.lock()) {
                control->setValue(static_cast<float>(clamped), false);
            }
            if (const auto label = weakLabel.lock()) {
                label->setText(LGFormatSliderValue(decimals, clamped));
            }
            LGPrefsSetValue(key, base::PlistValue::real(clamped));
        }));
    page->presentViewController(alert, true);
}
