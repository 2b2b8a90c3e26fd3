#include "platform/midi_port_table.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/manual_clock.h"

namespace {

using platform::kNoMidiOutHandle;
using platform::MidiOutHandle;

struct Journal {
    std::vector<std::string> opened;
    std::vector<std::string> closed;
    std::vector<std::pair<std::uint32_t, std::int64_t>> sent;
    int renewed = 0;
    int synthsMade = 0;
    // The port a send is inside; that port destroyed meanwhile is a use after free. (Another
    // port may well be destroyed while a send is inside a newer one.)
    std::atomic<const void*> inSend{nullptr};
    std::atomic<int> destroyedDuringSend{0};
};

class FakePort final : public platform::MidiDevicePort {
public:
    FakePort(Journal& journal, std::string name) : journal_(journal), name_(std::move(name)) {}
    ~FakePort() override {
        if (journal_.inSend.load() == this) {
            ++journal_.destroyedDuringSend;
        }
        journal_.closed.push_back(name_);
    }
    void send(std::uint32_t packed, std::int64_t stampNs, std::int64_t /*nowNs*/) override {
        journal_.inSend = this;
        journal_.sent.emplace_back(packed, stampNs);
        journal_.inSend = nullptr;
    }
    void renew() override { ++journal_.renewed; }

private:
    Journal& journal_;
    std::string name_;
};

class FakeBackend final : public platform::MidiBackend {
public:
    FakeBackend(Journal& journal, std::string prefix, int count)
        : count_(count), journal_(journal), prefix_(std::move(prefix)) {}
    std::vector<std::string> deviceNames() override {
        std::vector<std::string> names;
        for (int i = 0; i < count_; ++i) {
            names.push_back(prefix_ + std::to_string(i));
        }
        return names;
    }
    std::unique_ptr<platform::MidiDevicePort> open(const std::string& name) override {
        if (name == failing_ || name.rfind(prefix_, 0) != 0 ||
            std::stoi(name.substr(prefix_.size())) >= count_) {
            return nullptr;
        }
        journal_.opened.push_back(name);
        return std::make_unique<FakePort>(journal_, name);
    }
    std::string failing_;
    int count_;

private:
    Journal& journal_;
    std::string prefix_;
};

class PortTable : public testing::Test {
protected:
    void make(int jackCount, int alsaCount) {
        std::vector<std::unique_ptr<platform::MidiBackend>> backends;
        auto jack = std::make_unique<FakeBackend>(journal_, "jack:", jackCount);
        auto alsa = std::make_unique<FakeBackend>(journal_, "alsa:", alsaCount);
        jack_ = jack.get();
        alsa_ = alsa.get();
        backends.push_back(std::move(jack));
        backends.push_back(std::move(alsa));
        table_ = std::make_unique<platform::MidiPortTable>(
            std::move(backends),
            [this]() -> std::unique_ptr<platform::MidiDevicePort> {
                ++journal_.synthsMade;
                return std::make_unique<FakePort>(journal_, "synth");
            },
            clock_);
    }
    Journal journal_;
    platform::ManualClock clock_{5'000'000'000};
    FakeBackend* jack_ = nullptr;
    FakeBackend* alsa_ = nullptr;
    std::unique_ptr<platform::MidiPortTable> table_;
};

TEST_F(PortTable, FirstBackendFirstAndAtMostFiftyDevices) {
    make(2, 3);
    EXPECT_EQ(table_->deviceNames(),
              (std::vector<std::string>{"jack:0", "jack:1", "alsa:0", "alsa:1", "alsa:2"}));
    make(30, 30);
    const auto names = table_->deviceNames();
    ASSERT_EQ(names.size(), platform::kMaxMidiDevices);
    EXPECT_EQ(names[29], "jack:29");
    EXPECT_EQ(names[30], "alsa:0");
    EXPECT_EQ(names[49], "alsa:19");
    EXPECT_EQ(table_->open(50), kNoMidiOutHandle);
}

TEST_F(PortTable, OpenGoesToTheDeviceOfTheLastList) {
    make(2, 2);
    table_->deviceNames();
    EXPECT_NE(table_->open(3), kNoMidiOutHandle);
    EXPECT_NE(table_->open(platform::kBuiltinSynthId), kNoMidiOutHandle);
    EXPECT_EQ(journal_.opened, std::vector<std::string>{"alsa:1"});
    EXPECT_EQ(journal_.synthsMade, 1);

    // A device that has gone since the list was taken, a failing one, ids outside the list.
    alsa_->count_ = 1;
    jack_->failing_ = "jack:0";
    EXPECT_EQ(table_->open(3), kNoMidiOutHandle);
    EXPECT_EQ(table_->open(0), kNoMidiOutHandle);
    EXPECT_EQ(table_->open(-2), kNoMidiOutHandle);
    EXPECT_EQ(table_->open(4), kNoMidiOutHandle);
}

TEST_F(PortTable, SendsStampNowAndDropWhatIsNoShortMessage) {
    make(1, 0);
    table_->deviceNames();
    const MidiOutHandle handle = table_->open(0);
    table_->send(handle, 0x643C90, 0);
    table_->send(handle, 0xAB00C5, 7'000'000'000);  // the top byte never reaches the device
    table_->send(handle, 0x80BC90, 0);              // data byte with its top bit set
    table_->send(handle, 0x0040, 0);                // no status byte
    using Sent = std::pair<std::uint32_t, std::int64_t>;
    EXPECT_EQ(journal_.sent,
              (std::vector<Sent>{{0x643C90, 5'000'000'000}, {0x0000C5, 7'000'000'000}}));
}

// The hand-over figures count only messages with a stamp of their own (a step's), each by how
// long after its stamp it reached the table; they start afresh with every handle.
TEST_F(PortTable, HandOverIsMeasuredFromTheStamp) {
    make(1, 0);
    table_->deviceNames();
    const MidiOutHandle handle = table_->open(0);
    const std::int64_t now = clock_.monotonicNs();
    for (int i = 0; i < 98; ++i) {
        table_->send(handle, 0x643C90, now - 120'000);  // 0.12 ms after its stamp
    }
    table_->send(handle, 0x643C90, now - 3'000'000);
    table_->send(handle, 0x643C90, now + 5'000'000);  // ahead of time counts as no delay
    table_->send(handle, 0x007BB0, 0);                // "now": not counted
    const platform::MidiDeliveryStats stats = table_->deliveryStats(handle);
    EXPECT_EQ(stats.stamped, 100u);
    EXPECT_EQ(stats.handOverP50Ns, 150'000);  // the upper edge of its 50 us bin
    EXPECT_EQ(stats.handOverP99Ns, 150'000);
    EXPECT_EQ(stats.handOverMaxNs, 3'000'000);
    EXPECT_FALSE(stats.device.has_value());  // the fake device keeps no counts

    table_->close(handle);
    EXPECT_EQ(table_->deliveryStats(handle).stamped, 0u);
    EXPECT_EQ(table_->deliveryStats(table_->open(0)).stamped, 0u);
}

TEST_F(PortTable, HandlesAreNeverReusedAndClosedOnesAreIgnored) {
    make(1, 0);
    table_->deviceNames();
    const MidiOutHandle first = table_->open(0);
    table_->close(first);
    const MidiOutHandle second = table_->open(0);
    EXPECT_NE(first, second);
    table_->send(first, 0x643C90, 0);
    table_->send(12345, 0x643C90, 0);
    table_->send(kNoMidiOutHandle, 0x643C90, 0);
    EXPECT_TRUE(journal_.sent.empty());
    table_->close(first);
    table_->close(kNoMidiOutHandle);
    EXPECT_EQ(journal_.closed, std::vector<std::string>{"jack:0"});
}

// Reopening the synth must not make a new one (that would reload the soundfont and cut the
// sound); reopening onto another device replaces the port.
TEST_F(PortTable, ReopenKeepsAPortStillOpenOnTheSameDevice) {
    make(1, 0);
    table_->deviceNames();
    const MidiOutHandle synth = table_->open(platform::kBuiltinSynthId);
    EXPECT_EQ(table_->reopen(synth, platform::kBuiltinSynthId), synth);
    EXPECT_EQ(journal_.synthsMade, 1);
    EXPECT_EQ(journal_.renewed, 1);
    EXPECT_TRUE(journal_.closed.empty());

    const MidiOutHandle jack = table_->reopen(synth, 0);
    EXPECT_NE(jack, kNoMidiOutHandle);
    EXPECT_NE(jack, synth);
    EXPECT_EQ(journal_.closed, std::vector<std::string>{"synth"});

    table_->close(jack);
    const MidiOutHandle again = table_->reopen(jack, 0);
    EXPECT_NE(again, kNoMidiOutHandle);
    EXPECT_EQ(journal_.opened, (std::vector<std::string>{"jack:0", "jack:0"}));
    EXPECT_EQ(table_->reopen(kNoMidiOutHandle, -2), kNoMidiOutHandle);
}

// The window thread closes and replaces the port while the timer thread keeps sending: no port
// may be destroyed while a send is inside it.
TEST_F(PortTable, ClosingWhileAnotherThreadSendsNeverFreesUnderTheSender) {
    make(1, 0);
    table_->deviceNames();
    std::atomic<MidiOutHandle> current{table_->open(0)};
    std::atomic<bool> done{false};
    std::thread sender([&] {
        while (!done.load()) {
            table_->send(current.load(), 0x643C90, 0);
        }
    });
    for (int i = 0; i < 300; ++i) {
        const MidiOutHandle next = table_->open(i % 2 == 0 ? platform::kBuiltinSynthId : 0);
        const MidiOutHandle old = current.exchange(next);
        table_->close(old);
    }
    done = true;
    sender.join();
    EXPECT_EQ(journal_.destroyedDuringSend.load(), 0);
    EXPECT_EQ(journal_.closed.size(), 300u);
}

}  // namespace
