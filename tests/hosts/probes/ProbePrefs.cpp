// A preference bundle for the Settings host tests: its root controller shows a glass-free page
// of stock controls (a blurred panel with a switch and a slider, a menu button, a button that
// asks for a value) and prints one line for each thing the user does to it.
#include <cstdio>
#include <memory>
#include <string>

#include "platform/settings/ListController.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Menu.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/Slider.h"
#include "platform/ui/Switch.h"
#include "platform/ui/SymbolImage.h"
#include "platform/ui/SystemColors.h"
#include "platform/ui/TextField.h"
#include "platform/ui/VisualEffectView.h"

namespace {

void say(const std::string& line) {
    std::printf("[Probe] %s\n", line.c_str());
    std::fflush(stdout);
}

class ProbeRootListController : public settings::ListController {
    QV_OBJECT(ProbeRootListController, settings::ListController);

  public:
    ProbeRootListController() { setTitle("Probe"); }

  private:
    static void registerMethods(runtime::MethodList<ProbeRootListController>& methods) {
        methods.add<&ProbeRootListController::viewDidLoadProbe>(kViewDidLoad);
    }

    std::shared_ptr<ui::Button> menuButton(const std::string& current) {
        auto button = ui::Button::create(ui::ButtonType::System);
        auto config = ui::ButtonConfiguration::plainButtonConfiguration();
        config.title = current;
        config.image = ui::systemImage("chevron.down", 12);
        config.imagePlacement = ui::ButtonImagePlacement::Trailing;
        config.imagePadding = 6;
        config.contentInsets = {4, 8, 4, 8};
        button->setConfiguration(config);
        std::vector<std::shared_ptr<ui::MenuElement>> entries;
        const std::weak_ptr<ui::Button> weakButton = button;
        for (const char* title : {"Current", "Rounded", "Glass"}) {
            auto action = ui::Action::create(title, nullptr, [weakButton](ui::Action& a) {
                say("picked " + a.title());
                if (auto b = weakButton.lock()) {
                    auto c = *b->configuration();
                    c.title = a.title();
                    b->setConfiguration(c);
                }
            });
            if (current == title) action->setState(ui::MenuElementState::On);
            entries.push_back(action);
        }
        button->setMenu(ui::Menu::create("", entries, ui::MenuOptions::SingleSelection));
        button->setShowsMenuAsPrimaryAction(true);
        return button;
    }

    void viewDidLoadProbe() {
        kViewDidLoad.sendSuper(this);
        say("loaded");
        if (table()) table()->setHidden(true);
        const std::shared_ptr<ui::View> page = view();
        const double w = page->bounds().width();

        // Coloured stripes, so the blur of the panel over them shows.
        const base::Color stripes[] = {ui::colors::systemRed(), ui::colors::systemBlue(),
                                       ui::colors::systemGreen()};
        for (int i = 0; i < 9; ++i) {
            auto stripe = ui::View::create({0, 96.0 + 26 * i, w, 13});
            stripe->setBackgroundColor(stripes[i % 3]);
            page->addSubview(stripe);
        }
        auto panel = ui::VisualEffectView::create(
            ui::BlurEffect::effectWithStyle(ui::BlurEffectStyle::SystemMaterial));
        panel->setFrame({16, 120, w - 32, 150});
        panel->layer()->setCornerRadius(23.25);
        panel->layer()->setCornerCurve(ui::CornerCurve::Continuous);
        panel->setClipsToBounds(true);
        page->addSubview(panel);

        auto label = ui::Label::create({20, 20, 200, 22});
        label->setText("Probe switch");
        label->setTextAlignment(ui::TextAlignment::Left);
        panel->contentView()->addSubview(label);
        auto toggle = ui::Switch::create({w - 32 - 20 - 51, 16, 0, 0});
        toggle->addAction(
            ui::Action::create({}, nullptr,
                               [](ui::Action& a) {
                                   auto s = std::dynamic_pointer_cast<ui::Switch>(a.sender());
                                   say(std::string("switch ") + (s && s->isOn() ? "on" : "off"));
                               }),
            ui::ControlEvents::ValueChanged);
        panel->contentView()->addSubview(toggle);
        auto slider = ui::Slider::create({20, 90, w - 32 - 40, 31});
        slider->setMaximumValue(50);
        slider->setValue(10);
        slider->addAction(
            ui::Action::create({}, nullptr,
                               [](ui::Action& a) {
                                   auto s = std::dynamic_pointer_cast<ui::Slider>(a.sender());
                                   say("slider " + std::to_string(int(s->value())));
                               }),
            ui::ControlEvents::TouchUpInside | ui::ControlEvents::TouchUpOutside);
        panel->contentView()->addSubview(slider);

        auto menu = menuButton("Current");
        menu->setFrame({w - 16 - 140, 300, 140, 32});
        menu->setContentHorizontalAlignment(ui::ContentHorizontalAlignment::Trailing);
        page->addSubview(menu);

        auto value = ui::Button::create(ui::ButtonType::System);
        value->setTitle("Enter a value");
        value->setFrame({16, 300, 160, 32});
        const std::weak_ptr<ProbeRootListController> self = runtime::weakRef(this);
        value->addAction(ui::Action::create({}, nullptr,
                                            [self](ui::Action&) {
                                                if (auto page = self.lock()) page->askForValue();
                                            }),
                         ui::ControlEvents::PrimaryActionTriggered);
        page->addSubview(value);

        navigationItem()->setRightBarButtonItem(ui::BarButtonItem::create(
            "Reset", ui::Action::create({}, nullptr, [](ui::Action&) { say("reset"); })));
    }

    void askForValue() {
        auto alert = ui::AlertController::create("Edge width", "Enter a value between 0 and 50.",
                                                 ui::AlertControllerStyle::Alert);
        alert->addTextFieldWithConfigurationHandler([](ui::TextField& field) {
            field.setKeyboardType(ui::KeyboardType::DecimalPad);
            field.setPlaceholder("10");
            field.setText("10");
            field.setClearButtonMode(ui::TextFieldViewMode::WhileEditing);
        });
        alert->addAction(ui::AlertAction::create("Cancel", ui::AlertActionStyle::Cancel));
        const std::weak_ptr<ui::AlertController> weak = alert;
        alert->addAction(ui::AlertAction::create(
            "Apply", ui::AlertActionStyle::Default, [weak](ui::AlertAction&) {
                if (auto a = weak.lock()) say("applied " + a->textFields()[0]->text());
            }));
        presentViewController(alert, true);
    }
};

QV_DEFINE_CLASS(ProbeRootListController, "ProbeRootListController");

}  // namespace
