#include "uikit/LayoutEngine.h"

#include "foundation/Trace.h"
#include "objc/Message.h"
#include "uikit/NSLayoutConstraint.h"
#include "uikit/UIView.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <list>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace {

// Coefficients smaller than this are what elimination leaves of a cancelled term.
constexpr double kCoefficientEpsilon = 1e-9;
// A leftover of this many points, plus a relative share of the values involved, is rounding and
// not a contradiction.
constexpr double kValueEpsilon = 1e-6;
constexpr double kRelativeEpsilon = 1e-12;

// Which constraints, by their index in solving order, an equation was derived from.
class Sources {
public:
    void insert(std::size_t index)
    {
        if (words_.size() <= index / 64) words_.resize(index / 64 + 1);
        words_[index / 64] |= std::uint64_t{1} << (index % 64);
    }
    void unite(const Sources& other)
    {
        if (words_.size() < other.words_.size()) words_.resize(other.words_.size());
        for (std::size_t i = 0; i < other.words_.size(); ++i) words_[i] |= other.words_[i];
    }
    std::vector<std::size_t> indices() const
    {
        std::vector<std::size_t> out;
        for (std::size_t w = 0; w < words_.size(); ++w)
            for (std::size_t b = 0; b < 64; ++b)
                if (words_[w] >> b & 1) out.push_back(w * 64 + b);
        return out;
    }

private:
    std::vector<std::uint64_t> words_;
};

// sum(coefficients[i] * unknown[i]) == rhs.
struct Equation {
    std::vector<double> coefficients;
    double rhs = 0;
    Sources sources;

    bool isZero() const
    {
        return std::all_of(coefficients.begin(), coefficients.end(), [](double c) { return c == 0; });
    }
    bool isFinite() const
    {
        return std::isfinite(rhs) && std::all_of(coefficients.begin(), coefficients.end(), [](double c) { return std::isfinite(c); });
    }
};

// Linear equalities in reduced row echelon form, accepted one at a time: every row has a pivot
// unknown with coefficient 1 that no other row mentions, so a row whose only unknown is its
// pivot gives that unknown's value.
class LinearSystem {
public:
    enum class Outcome { Added, Redundant, Inconsistent, NotFinite };

    explicit LinearSystem(std::size_t unknowns) : pivotRow_(unknowns, kNoRow) {}

    std::size_t unknowns() const { return pivotRow_.size(); }

    // Rewrites the equation in the free unknowns only (the same solutions, given the accepted
    // rows), gathering the rows it used into its sources. Returns the size of the values
    // involved, against which a leftover is judged.
    double reduce(Equation& equation) const
    {
        double magnitude = std::abs(equation.rhs);
        for (const Row& row : rows_) {
            const double factor = equation.coefficients[row.pivot];
            if (factor == 0) continue;
            const auto& rc = row.equation.coefficients;
            for (std::size_t i = 0; i < rc.size(); ++i) equation.coefficients[i] -= factor * rc[i];
            equation.coefficients[row.pivot] = 0;
            equation.rhs -= factor * row.equation.rhs;
            magnitude += std::abs(factor * row.equation.rhs);
            equation.sources.unite(row.equation.sources);
        }
        for (double& c : equation.coefficients)
            if (std::abs(c) < kCoefficientEpsilon) c = 0;
        return magnitude;
    }

    // Accepts the equation unless it repeats what the rows already say (Redundant), contradicts
    // them (Inconsistent: its sources then name the rows it contradicts besides its own), or
    // holds or leads to values that are not finite. Only Added changes the system.
    Outcome add(Equation equation)
    {
        if (!equation.isFinite()) return Outcome::NotFinite;
        const double magnitude = reduce(equation);
        lastSources_ = equation.sources;
        if (!equation.isFinite()) return Outcome::NotFinite;
        std::size_t pivot = kNoRow;
        for (std::size_t i = 0; i < equation.coefficients.size(); ++i) {
            const double c = std::abs(equation.coefficients[i]);
            if (c != 0 && (pivot == kNoRow || c > std::abs(equation.coefficients[pivot]))) pivot = i;
        }
        if (pivot == kNoRow)
            return std::abs(equation.rhs) <= kValueEpsilon + kRelativeEpsilon * magnitude ? Outcome::Redundant : Outcome::Inconsistent;

        const double scale = equation.coefficients[pivot];
        for (double& c : equation.coefficients) c /= scale;
        equation.rhs /= scale;
        equation.coefficients[pivot] = 1;
        if (!equation.isFinite()) return Outcome::NotFinite;
        for (Row& row : rows_) {
            auto& rc = row.equation.coefficients;
            const double factor = rc[pivot];
            if (factor == 0) continue;
            for (std::size_t i = 0; i < rc.size(); ++i) {
                rc[i] -= factor * equation.coefficients[i];
                if (std::abs(rc[i]) < kCoefficientEpsilon) rc[i] = 0;
            }
            rc[pivot] = 0;
            row.equation.rhs -= factor * equation.rhs;
            row.equation.sources.unite(equation.sources);
        }
        pivotRow_[pivot] = rows_.size();
        rows_.push_back(Row{pivot, std::move(equation)});
        return Outcome::Added;
    }

    // The sources of the equation last given to add(), after reduction: for an inconsistent
    // one, the constraints it contradicts and its own.
    const Sources& lastSources() const { return lastSources_; }

    bool isDetermined(std::size_t unknown) const
    {
        const std::size_t r = pivotRow_[unknown];
        if (r == kNoRow) return false;
        const auto& c = rows_[r].equation.coefficients;
        for (std::size_t i = 0; i < c.size(); ++i)
            if (i != unknown && c[i] != 0) return false;
        return true;
    }
    // Precondition: isDetermined(unknown).
    double value(std::size_t unknown) const { return rows_[pivotRow_[unknown]].equation.rhs; }

private:
    static constexpr std::size_t kNoRow = std::numeric_limits<std::size_t>::max();
    struct Row {
        std::size_t pivot;
        Equation equation;
    };

    std::vector<Row> rows_;
    std::vector<std::size_t> pivotRow_; // per unknown: the row it is the pivot of, or kNoRow
    Sources lastSources_;
};

// A linear expression in the unknowns: sum(terms) + constant.
struct Expression {
    std::vector<std::pair<std::size_t, double>> terms;
    double constant = 0;

    void add(const Expression& other, double factor)
    {
        for (const auto& [unknown, coefficient] : other.terms) terms.emplace_back(unknown, coefficient * factor);
        constant += other.constant * factor;
    }
};

enum Component : std::size_t { kX, kY, kWidth, kHeight, kComponents };

double componentOf(const CGRect& frame, std::size_t component)
{
    switch (component) {
    case kX: return frame.origin.x;
    case kY: return frame.origin.y;
    case kWidth: return frame.size.width;
    default: return frame.size.height;
    }
}

double& componentOf(CGRect& frame, std::size_t component)
{
    switch (component) {
    case kX: return frame.origin.x;
    case kY: return frame.origin.y;
    case kWidth: return frame.size.width;
    default: return frame.size.height;
    }
}

// One solve of one tree. Holds the tree's views and constraints strongly, so that a replaced
// setFrame: or intrinsicContentSize that changes the tree cannot end what is being solved.
class Solver {
public:
    explicit Solver(UIView* root) : root_(root)
    {
        std::vector<objc::StrongRef<NSLayoutConstraint>> installed;
        collect(root, installed);
        for (const auto& constraint : installed)
            if (!constraint->hasEndedItem() && members_.count(constraint->firstItem()) &&
                (!constraint->secondItem() || members_.count(constraint->secondItem())))
                constraints_.push_back(constraint);
        breaks_.resize(constraints_.size());
        for (UIView* view : unknownViews_) intrinsic_.push_back(objc::send<CGSize>(view, "intrinsicContentSize"));
    }

    void run()
    {
        LinearSystem system(unknownViews_.size() * kComponents);
        struct Inequality {
            std::size_t index;
            Equation equation;
            bool atMost;
        };
        std::list<Inequality> inequalities;
        for (std::size_t i = 0; i < constraints_.size(); ++i) {
            const NSLayoutConstraint& c = *constraints_[i];
            if (c.relation() == NSLayoutRelationEqual) add(system, i, equationFor(i));
            else inequalities.push_back({i, equationFor(i), c.relation() == NSLayoutRelationLessThanOrEqual});
        }

        // Each pass either holds or drops at least one inequality, or changes nothing and ends.
        for (bool changed = true; changed && !inequalities.empty();) {
            changed = false;
            for (auto it = inequalities.begin(); it != inequalities.end();) {
                Equation reduced = it->equation;
                system.reduce(reduced);
                if (reduced.isZero()) {
                    if (violates(-reduced.rhs, it->atMost)) reportConflict(it->index, reduced.sources);
                    it = inequalities.erase(it);
                    continue;
                }
                LinearSystem trial = system;
                complete(trial);
                Equation projected = it->equation;
                trial.reduce(projected);
                if (projected.isZero() && !violates(-projected.rhs, it->atMost)) {
                    ++it;
                    continue;
                }
                add(system, it->index, it->equation);
                it = inequalities.erase(it);
                changed = true;
            }
        }

        complete(system);
        publishBreaks();
        apply(system);
    }

private:
    // Walks the tree parents first, gathering its views and, per view in the order added, the
    // constraints installed on it.
    void collect(UIView* view, std::vector<objc::StrongRef<NSLayoutConstraint>>& installed)
    {
        tree_.emplace_back(view);
        members_.insert(view);
        if (view != root_ && !view->translatesAutoresizingMaskIntoConstraints()) {
            firstUnknown_[view] = unknownViews_.size() * kComponents;
            unknownViews_.push_back(view);
        }
        installed.insert(installed.end(), view->constraints().begin(), view->constraints().end());
        for (const auto& subview : view->subviews()) collect(subview.get(), installed);
    }

    // The component of a view's frame, as an unknown or as the constant it is fixed at.
    Expression component(const UIView* view, std::size_t which) const
    {
        Expression e;
        if (auto it = firstUnknown_.find(view); it != firstUnknown_.end()) e.terms.emplace_back(it->second + which, 1.0);
        else e.constant = componentOf(view->frame(), which);
        return e;
    }

    // An attribute of a view of the tree, in the root's coordinates.
    Expression attribute(const UIView* view, NSLayoutAttribute attribute) const
    {
        const bool horizontal = zovo::layoutAxisOf(attribute) == zovo::LayoutAxis::Horizontal;
        Expression origin;
        Expression size;
        if (view == root_) {
            size.constant = horizontal ? root_->bounds().size.width : root_->bounds().size.height;
        } else {
            for (const UIView* v = view; v && v != root_; v = v->superview()) origin.add(component(v, horizontal ? kX : kY), 1.0);
            size = component(view, horizontal ? kWidth : kHeight);
        }
        Expression e;
        switch (attribute) {
        case NSLayoutAttributeLeft:
        case NSLayoutAttributeLeading:
        case NSLayoutAttributeTop:
            e = origin;
            break;
        case NSLayoutAttributeRight:
        case NSLayoutAttributeTrailing:
        case NSLayoutAttributeBottom:
            e = origin;
            e.add(size, 1.0);
            break;
        case NSLayoutAttributeCenterX:
        case NSLayoutAttributeCenterY:
            e = origin;
            e.add(size, 0.5);
            break;
        case NSLayoutAttributeWidth:
        case NSLayoutAttributeHeight:
            e = size;
            break;
        case NSLayoutAttributeNotAnAttribute:
            break;
        }
        return e;
    }

    // first - multiplier * second - constant, as the equation "that == 0", sourced from the
    // constraint.
    Equation equationFor(std::size_t index) const
    {
        const NSLayoutConstraint& c = *constraints_[index];
        Expression e = attribute(c.firstItem(), c.firstAttribute());
        if (c.secondItem()) e.add(attribute(c.secondItem(), c.secondAttribute()), -c.multiplier());
        Equation equation;
        equation.coefficients.assign(unknownViews_.size() * kComponents, 0.0);
        for (const auto& [unknown, coefficient] : e.terms) equation.coefficients[unknown] += coefficient;
        equation.rhs = c.constant() - e.constant;
        equation.sources.insert(index);
        return equation;
    }

    static bool violates(double value, bool atMost) { return atMost ? value > kValueEpsilon : value < -kValueEpsilon; }

    void add(LinearSystem& system, std::size_t index, Equation equation)
    {
        switch (system.add(std::move(equation))) {
        case LinearSystem::Outcome::Added:
        case LinearSystem::Outcome::Redundant:
            return;
        case LinearSystem::Outcome::Inconsistent:
            reportConflict(index, system.lastSources());
            return;
        case LinearSystem::Outcome::NotFinite:
            reportNotFinite(index);
            return;
        }
    }

    // Fixes the unknown at `value` if nothing has fixed it yet.
    static void pin(LinearSystem& system, std::size_t unknown, double value)
    {
        if (system.isDetermined(unknown)) return;
        Equation equation;
        equation.coefficients.assign(system.unknowns(), 0.0);
        equation.coefficients[unknown] = 1;
        equation.rhs = std::isfinite(value) ? value : 0.0;
        system.add(std::move(equation));
    }

    // Intrinsic sizes, then current frames, for whatever the constraints left undetermined.
    // Each pin fixes a free unknown, so none can contradict what came before.
    void complete(LinearSystem& system) const
    {
        for (std::size_t v = 0; v < unknownViews_.size(); ++v) {
            const CGSize size = intrinsic_[v];
            if (std::isfinite(size.width) && size.width >= 0) pin(system, v * kComponents + kWidth, size.width);
            if (std::isfinite(size.height) && size.height >= 0) pin(system, v * kComponents + kHeight, size.height);
        }
        for (std::size_t which : {kWidth, kHeight, kX, kY})
            for (std::size_t v = 0; v < unknownViews_.size(); ++v)
                pin(system, v * kComponents + which, componentOf(unknownViews_[v]->frame(), which));
    }

    void apply(const LinearSystem& system) const
    {
        for (std::size_t v = 0; v < unknownViews_.size(); ++v) {
            UIView* view = unknownViews_[v];
            CGRect frame = view->frame();
            for (std::size_t which = 0; which < kComponents; ++which) {
                const std::size_t unknown = v * kComponents + which;
                if (!system.isDetermined(unknown)) continue;
                const double value = system.value(unknown);
                if (std::isfinite(value)) componentOf(frame, which) = value;
            }
            objc::send(view, "setFrame:", frame);
        }
    }

    void reportConflict(std::size_t broken, const Sources& involved)
    {
        std::string list;
        for (std::size_t i : involved.indices()) {
            if (!list.empty()) list += ",\n";
            list += "    \"" + constraints_[i]->description() + "\"";
        }
        breaks_[broken] = "Unable to simultaneously satisfy constraints.\n(\n" + list + "\n)\n\nWill attempt to recover by breaking constraint \n" +
                          constraints_[broken]->description();
    }

    void reportNotFinite(std::size_t broken)
    {
        const std::string text = constraints_[broken]->description();
        breaks_[broken] = "Unable to satisfy constraint: it leads to values that are not finite.\n(\n    \"" + text +
                          "\"\n)\n\nWill attempt to recover by breaking constraint \n" + text;
    }

    // Traces the constraints broken in this pass that were not broken in the one before, so a
    // conflict shows once when it arises rather than on every pass while it lasts.
    void publishBreaks() const
    {
        for (std::size_t i = 0; i < constraints_.size(); ++i) {
            NSLayoutConstraint& constraint = *constraints_[i];
            const bool broken = !breaks_[i].empty();
            if (broken && !constraint.conflictReported()) {
                UIView* item = constraint.firstItem();
                zovo::trace().record("layoutConflict", {{"subject", item ? item->className() : "(ended)"},
                                                        {"constraint", constraint.description()},
                                                        {"detail", breaks_[i]}});
            }
            constraint.setConflictReported(broken);
        }
    }

    UIView* root_;
    std::vector<objc::StrongRef<UIView>> tree_;
    std::unordered_set<const UIView*> members_;
    std::vector<UIView*> unknownViews_;
    std::unordered_map<const UIView*, std::size_t> firstUnknown_; // a view's x; y, width, height follow
    std::vector<CGSize> intrinsic_;                                // per unknown view
    std::vector<objc::StrongRef<NSLayoutConstraint>> constraints_;       // the ones solved, in order
    std::vector<std::string> breaks_;                              // per constraint: why it was broken, or empty
};

} // namespace

namespace zovo {

void solveConstraints(UIView* root)
{
    if (!root) return;
    objc::StrongRef<UIView> keep(root);
    Solver(root).run();
}

} // namespace zovo
