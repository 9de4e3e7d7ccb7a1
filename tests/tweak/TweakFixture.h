// A fresh simulated process with UIKit and the host's classes, into which each case writes the
// settings it wants and then loads the component.
#pragma once

#include "foundation/DarwinNotifyCenter.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSNotificationCenter.h"
#include "foundation/NSNumber.h"
#include "foundation/NSString.h"
#include "foundation/Process.h"
#include "foundation/PropertyList.h"
#include "foundation/RunLoop.h"
#include "objc/Message.h"
#include "springboard/HostClasses.h"
#include "substrate/Loader.h"
#include "tweak/BLNotificationBridge.h"
#include "tweak/Tweak.h"
#include "uikit/CGGeometry.h"
#include "uikit/UIColor.h"
#include "uikit/UIDevice.h"
#include "uikit/UIKitClasses.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

class TweakFixture : public ::testing::Test {
protected:
    TweakFixture() { registerClasses(process); }
    static void registerClasses(zovo::Process& p, std::vector<std::string> omit = {})
    {
        registerUIKitClasses(p.runtime());
        zovo::registerHostClasses(p.runtime(), {}, std::move(omit));
    }

    static objc::StrongId newObject(const char* cls) { return objc::send<objc::StrongId>(objc::objc_getClass(cls), "new"); }
    static objc::StrongId withFrame(const char* cls, CGRect frame)
    {
        return objc::send<objc::StrongId>(objc::send<objc::StrongId>(objc::objc_getClass(cls), "alloc"), "initWithFrame:", frame);
    }
    static objc::StrongId text(const char* s) { return NSString::from(s); }
    static objc::StrongId flag(bool b) { return NSNumber::numberWithBool(b); }
    static objc::StrongId number(double d) { return NSNumber::numberWithDouble(d); }

    static void writeSettings(zovo::Process& into, std::vector<NSDictionary::Entry> entries, const char* path = zovorudovu::kSettingsPath)
    {
        auto dictionary = NSDictionary::from(std::move(entries));
        ASSERT_TRUE(zovo::writeBinaryPropertyList(into.hostPath(path), dictionary.get()));
    }
    void writeSettings(std::vector<NSDictionary::Entry> entries, const char* path = zovorudovu::kSettingsPath)
    {
        writeSettings(process, std::move(entries), path);
    }
    static void writeRaw(zovo::Process& into, const std::string& bytes) { std::ofstream(into.hostPath(zovorudovu::kSettingsPath), std::ios::binary) << bytes; }
    void writeRaw(const std::string& bytes) { writeRaw(process, bytes); }
    static void load(zovo::Process& into) { zovo::Loader::load(into.runtime(), zovorudovu::library()); }
    void load() { load(process); }
    void postPrefsChanged()
    {
        CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(), CFSTR("com.tarvik.zovorudovu/prefsupdated"), nullptr, nullptr, true);
        process.mainRunLoop().runUntilIdle();
    }

    zovorudovu::Globals& g() { return zovorudovu::globals(); }
    BLNotificationBridge* bridge() { return BLNotificationBridge::sharedInstance(); }

    zovo::Process process;
};
