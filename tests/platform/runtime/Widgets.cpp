#include "tests/platform/runtime/Widgets.h"

namespace widgets {

QV_DEFINE_CLASS(Widget, "QVWidget");
QV_DEFINE_CLASS(Button, "QVButton");
QV_DEFINE_CLASS(FancyButton, "QVFancyButton");
QV_DEFINE_CLASS(Slider, "QVSlider");
QV_DEFINE_CLASS(Window, "QVWindow");
QV_DEFINE_CLASS(WallpaperWindow, "_QVWallpaperWindow");
QV_DEFINE_CLASS(Sheet, "QVSheet");

void Widget::registerMethods(runtime::MethodList<Widget>& methods) {
    methods.add<&Widget::setAlphaDefault>(kSetAlpha)
        .add<&Widget::setHiddenDefault>(kSetHidden)
        .add<&Widget::layoutSubviewsDefault>(kLayoutSubviews)
        .add<&Widget::didMoveToWindowDefault>(kDidMoveToWindow)
        .add<&Widget::setTitleDefault>(kSetTitle)
        .add<&Widget::descriptionDefault>(kDescription)
        .add<&Widget::setBorderWidthDefault>(kSetBorderWidth)
        .add<&Widget::setTagDefault>(kSetTag);
}

void Widget::setAlphaDefault(double alpha) {
    alpha_ = alpha;
    trace.push_back("Widget.setAlpha");
}

void Widget::setHiddenDefault(bool hidden) {
    hidden_ = hidden;
    trace.push_back("Widget.setHidden");
}

void Widget::layoutSubviewsDefault() {
    trace.push_back("Widget.layout");
}

void Widget::didMoveToWindowDefault() {
    trace.push_back("Widget.didMove");
}

void Widget::setTitleDefault(const std::string& title) {
    title_ = title;
    trace.push_back("Widget.setTitle");
}

std::string Widget::descriptionDefault() const {
    return "<" + className() + ">";
}

void Widget::setBorderWidthDefault(double width) {
    borderWidth_ = width;
    trace.push_back("Widget.setBorderWidth");
}

// Called from several threads at once: touches only the atomic counter.
void Widget::setTagDefault(int tag) {
    tagSum_ += tag;
}

void Button::registerMethods(runtime::MethodList<Button>& methods) {
    methods.add<&Button::layoutButton>(kLayoutSubviews).add<&Button::setButtonTitle>(kSetTitle);
}

void Button::layoutButton() {
    trace.push_back("Button.layout");
    kLayoutSubviews.sendSuper(this);
}

void Button::setButtonTitle(const std::string& title) {
    kSetTitle.sendSuper(this, "[" + title + "]");
}

std::shared_ptr<Sheet> Sheet::create() {
    std::shared_ptr<Sheet> sheet(new Sheet());
    sheet->madeByCreate = true;
    return sheet;
}

}  // namespace widgets
