#include <gtest/gtest.h>

#include <string>

#include "platform/runtime/Runtime.h"
#include "tests/platform/runtime/Widgets.h"

using runtime::Class;
using runtime::lookUpClass;
using namespace widgets;

namespace {

// A second C++ type claiming a name that Widget already holds.
class Impostor : public runtime::Object {
    QV_OBJECT(Impostor, runtime::Object);

  public:
    int setAlphaCalls = 0;

  private:
    static void registerMethods(runtime::MethodList<Impostor>& methods) {
        methods.add<&Impostor::countAlpha>(Widget::kSetAlpha);
    }
    void countAlpha(double) { ++setAlphaCalls; }
};

}  // namespace

QV_DEFINE_CLASS(Impostor, "QVWidget");

TEST(ClassTree, KindOfTestsFollowTheSuperclassChainByPointerAndByName) {
    auto window = std::make_shared<WallpaperWindow>();
    EXPECT_EQ(window->className(), "_QVWallpaperWindow");
    EXPECT_TRUE(window->isKindOfClass(Window::staticClass()));
    EXPECT_TRUE(window->isKindOfClass(Widget::staticClass()));
    EXPECT_TRUE(window->isKindOfClass("QVWindow"));
    EXPECT_TRUE(window->isKindOfClass("QVWidget"));
    EXPECT_TRUE(window->isKindOfClass("NSObject"));
    EXPECT_FALSE(window->isKindOfClass("QVSlider"));
    EXPECT_FALSE(window->isKindOfClass(Slider::staticClass()));
    EXPECT_FALSE(window->isKindOfClass(static_cast<const Class*>(nullptr)));
    EXPECT_FALSE(window->isKindOfClass("NoSuchClass"));

    EXPECT_TRUE(window->isMemberOfClass(WallpaperWindow::staticClass()));
    EXPECT_FALSE(window->isMemberOfClass(Window::staticClass()));

    // A superclass is never a kind of its subclass.
    auto plain = std::make_shared<Window>();
    EXPECT_FALSE(plain->isKindOfClass("_QVWallpaperWindow"));
    EXPECT_EQ(WallpaperWindow::staticClass()->superclass(), Window::staticClass());
    EXPECT_EQ(runtime::Object::staticClass()->superclass(), nullptr);
}

TEST(ClassTree, ClassesAreFoundByNameAsSoonAsTheProgramLoads) {
    // No instance of these types has been made by this test; load-time registration suffices.
    EXPECT_EQ(lookUpClass("_QVWallpaperWindow"), WallpaperWindow::staticClass());
    EXPECT_EQ(lookUpClass("QVFancyButton"), FancyButton::staticClass());
    EXPECT_EQ(lookUpClass("NSObject"), runtime::Object::staticClass());
    EXPECT_EQ(Class::named("QVSlider"), Slider::staticClass());

    EXPECT_EQ(lookUpClass("CSProminentTimeView"), nullptr);
    EXPECT_EQ(lookUpClass(""), nullptr);
    EXPECT_EQ(lookUpClass("qvwidget"), nullptr);
}

TEST(ClassTree, ClassRegisteredAtRunTimeIsFoundByNameAndInheritsMethods) {
    static const runtime::Message<int()> kLevel{"level"};
    int (*level)(runtime::Object*, runtime::SEL) = [](runtime::Object*, runtime::SEL) { return 7; };
    const runtime::MethodDescription methods[] = {
        {kLevel.selector(), runtime::toImp(level), runtime::signatureOf<int()>()}};

    // A fresh name each run, so the test also passes when repeated in one process.
    static int run = 0;
    const std::string name = "QVRunTimeGauge" + std::to_string(++run);
    Class* made = runtime::registerClass(name, Slider::staticClass(), methods);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(lookUpClass(name), made);
    EXPECT_TRUE(made->isListed());
    EXPECT_TRUE(made->isSubclassOf("QVWidget"));
    EXPECT_TRUE(made->definesMethod(kLevel.selector()));
    EXPECT_FALSE(made->definesMethod(Widget::kSetAlpha.selector()));
    EXPECT_TRUE(made->instancesRespondTo(Widget::kSetAlpha.selector()));
    EXPECT_FALSE(Slider::staticClass()->instancesRespondTo(kLevel.selector()));
    EXPECT_EQ(made->createInstance(), nullptr);

    // Refusals leave the registry as it was.
    EXPECT_EQ(runtime::registerClass(name, Widget::staticClass()), nullptr);
    EXPECT_EQ(lookUpClass(name), made);
    EXPECT_EQ(runtime::registerClass("QVRootless", nullptr), nullptr);
    EXPECT_EQ(runtime::registerClass("", Widget::staticClass()), nullptr);
    const runtime::MethodDescription twice[] = {methods[0], methods[0]};
    EXPECT_EQ(runtime::registerClass("QVTwice", Widget::staticClass(), twice), nullptr);
    EXPECT_EQ(lookUpClass("QVTwice"), nullptr);
    // An override whose signature differs from the inherited method's would be called with the
    // wrong arguments.
    void (*wrongAlpha)(runtime::Object*, runtime::SEL, int) = [](runtime::Object*, runtime::SEL,
                                                                 int) {};
    const runtime::MethodDescription clash[] = {{Widget::kSetAlpha.selector(),
                                                 runtime::toImp(wrongAlpha),
                                                 runtime::signatureOf<void(int)>()}};
    EXPECT_EQ(runtime::registerClass("QVClash", Widget::staticClass(), clash), nullptr);
}

TEST(ClassTree, SecondTypeWithATakenNameStaysUnlistedButDispatchesToItsOwnMethods) {
    EXPECT_EQ(lookUpClass("QVWidget"), Widget::staticClass());
    EXPECT_TRUE(Widget::staticClass()->isListed());
    EXPECT_FALSE(Impostor::staticClass()->isListed());
    EXPECT_NE(Impostor::staticClass(), Widget::staticClass());

    auto impostor = std::make_shared<Impostor>();
    EXPECT_EQ(impostor->className(), "QVWidget");
    Widget::kSetAlpha.send(impostor.get(), 0.5);
    EXPECT_EQ(impostor->setAlphaCalls, 1);
    EXPECT_FALSE(impostor->isKindOfClass(Widget::staticClass()));
}

TEST(ClassTree, CreateInstanceUsesCreateOrTheDefaultConstructor) {
    auto slider = lookUpClass("QVSlider")->createInstance();
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->objectClass(), Slider::staticClass());

    auto sheet = std::dynamic_pointer_cast<Sheet>(lookUpClass("QVSheet")->createInstance());
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(sheet->madeByCreate);
}
