#include "sim/BannerSnapshot.h"

#include "foundation/NSString.h"
#include "objc/Message.h"
#include "tweak/BLBottomGrabberView.h"
#include "tweak/BLNotificationBanner.h"
#include "uikit/CALayer.h"
#include "uikit/CAShapeLayer.h"
#include "uikit/UIColor.h"

#include <nlohmann/json.hpp>


namespace zovo {
namespace {

Json rect(const CGRect& r) { return Json::array({r.origin.x, r.origin.y, r.size.width, r.size.height}); }

Json colour(objc::id object)
{
    auto* c = objc::cast<UIColor>(object);
    if (!c) return nullptr;
    return Json::array({c->red(), c->green(), c->blue(), c->alpha()});
}

CGRect frameOf(objc::id view) { return view ? objc::send<CGRect>(view, "frame") : CGRectZero; }

std::string textOf(objc::id label)
{
    objc::StrongId text = objc::send<objc::StrongId>(label, "text");
    auto* s = objc::cast<NSString>(text.get());
    return s ? s->utf8() : std::string();
}

Json label(objc::id view)
{
    if (!view) return nullptr;
    return Json{{"text", textOf(view)}, {"frame", rect(frameOf(view))}};
}

Json mask(const UIView* body)
{
    auto* shape = objc::cast<CAShapeLayer>(body ? body->layer()->mask() : nullptr);
    const CGPath* path = shape ? shape->path() : nullptr;
    if (!path || !path->roundedRect) return nullptr;
    Json corners = Json::array();
    const std::uint64_t bits = path->roundedRect->corners;
    if (bits & UIRectCornerTopLeft) corners.push_back("topLeft");
    if (bits & UIRectCornerTopRight) corners.push_back("topRight");
    if (bits & UIRectCornerBottomLeft) corners.push_back("bottomLeft");
    if (bits & UIRectCornerBottomRight) corners.push_back("bottomRight");
    return Json{{"roundedCorners", corners},
                {"radius", Json::array({path->roundedRect->radii.width, path->roundedRect->radii.height})}};
}

} // namespace

Json snapshotBanner(objc::id object)
{
    auto* banner = objc::cast<BLNotificationBanner>(object);
    if (!banner) return nullptr;
    auto* body = objc::cast<BLBottomGrabberView>(banner->bottomSection.get());
    Json out;
    out["window"] = Json{{"frame", rect(banner->frame())}, {"level", banner->windowLevel()}};
    out["bgColour"] = colour(banner->bgColour.get());
    out["textColour"] = colour(banner->textColour.get());
    out["container"] = rect(frameOf(banner->container.get()));
    out["icon"] = Json{{"frame", rect(frameOf(banner->iconView.get()))}, {"hasImage", static_cast<bool>(objc::send<objc::StrongId>(banner->iconView, "image"))}};
    out["primary"] = label(banner->primary.get());
    out["secondary"] = label(banner->secondary.get());
    out["date"] = label(banner->date.get());
    out["bottomSection"] = Json{{"frame", rect(frameOf(body))}, {"background", colour(body ? body->backgroundColor() : nullptr)}};
    out["mask"] = mask(body);
    out["pill"] = body && body->pill ? Json{{"frame", rect(frameOf(body->pill.get()))}} : Json(nullptr);
    return out;
}

} // namespace zovo
