// The layout pass a banner pays on every content update: a window, a container, an icon and
// three labels placed by eight constraints. Content updates add their constraints again each time, so
// the second case solves a tree that has been updated a number of times, most constraints repeats.
#include "foundation/Process.h"
#include "uikit/LayoutEngine.h"
#include "uikit/NSLayoutConstraint.h"
#include "uikit/UIKitClasses.h"
#include "uikit/UIView.h"
#include "uikit/UIWindow.h"

#include <benchmark/benchmark.h>

namespace {

// A label stand-in with a fixed intrinsic size, so the benchmark measures the solver and not
// text measurement.
class BenchLabel : public UIView {
public:
    CGSize intrinsicContentSize() const override { return CGSizeMake(120, 17); }
};

struct BannerTree {
    explicit BannerTree(zovo::Process& process)
    {
        registerUIKitClasses(process.runtime());
        window = makeView<UIWindow>(CGRectMake(0, -120, 375, 120));
        container = makeView<UIView>(CGRectMake(10, 0, 355, 110));
        icon = makeView<UIView>(CGRectMake(0, 37, 20, 20));
        bottom = makeView<UIView>(CGRectMake(0, 0, 375, 90));
        window->addSubview(bottom.get());
        window->addSubview(container.get());
        container->addSubview(icon.get());
        for (auto* label : {&date, &primary, &secondary}) {
            *label = makeView<BenchLabel>(CGRectZero);
            container->addSubview((*label).get());
        }
        for (auto* label : {&date, &primary, &secondary}) (*label)->setTranslatesAutoresizingMaskIntoConstraints(false);
        // The message below the icon, across the container: three constraints installed once.
        add(secondary.get(), NSLayoutAttributeLeft, container.get(), NSLayoutAttributeLeft, 0);
        add(secondary.get(), NSLayoutAttributeTop, icon.get(), NSLayoutAttributeBottom, 5);
        add(secondary.get(), NSLayoutAttributeWidth, container.get(), NSLayoutAttributeWidth, 0);
    }

    // The constraints one content update adds: five with a timestamp.
    void update()
    {
        add(date.get(), NSLayoutAttributeRight, container.get(), NSLayoutAttributeRight, 0);
        add(date.get(), NSLayoutAttributeCenterY, icon.get(), NSLayoutAttributeCenterY, 0);
        add(primary.get(), NSLayoutAttributeLeft, icon.get(), NSLayoutAttributeRight, 5);
        add(primary.get(), NSLayoutAttributeCenterY, icon.get(), NSLayoutAttributeCenterY, 0);
        add(primary.get(), NSLayoutAttributeWidth, container.get(), NSLayoutAttributeWidth, -150);
    }

    void add(UIView* a, NSLayoutAttribute aa, UIView* b, NSLayoutAttribute ba, double constant)
    {
        container->addConstraint(NSLayoutConstraint::constraintWithItem(a, aa, NSLayoutRelationEqual, b, ba, 1.0, constant).get());
    }

    objc::StrongRef<UIWindow> window;
    objc::StrongRef<UIView> container, icon, bottom;
    objc::StrongRef<BenchLabel> date, primary, secondary;
};

void BM_SolveBannerTree(benchmark::State& state)
{
    zovo::Process process;
    BannerTree tree(process);
    for (std::int64_t i = 0; i < state.range(0); ++i) tree.update();
    for (auto _ : state) zovo::solveConstraints(tree.window.get());
    state.counters["constraints"] = static_cast<double>(tree.container->constraints().size());
}
BENCHMARK(BM_SolveBannerTree)->Arg(1)->Arg(10);

} // namespace
