#pragma once
// A stand-in for the controller's storage driver, for tests that look at
// what goes to the device: every device opens, every control request is
// recorded as it arrived, and pass-through requests are answered the way the
// test says. Install it with platform::overrideDeviceAccess, or derive the
// test from FakeDriverTest, which also opens a controller device on it.
//
// A pass-through request whose command block matches a vendor command given
// to on() gets that command's answer; any other gets otherwise(). An answer
// writes a SCSI status, a sense length and sense bytes into the returned
// block and then either fails the request with a system error or completes
// it, putting its reply bytes (if any) into the data buffer when the status
// is good. Requests of any other control
// code fail with kErrorInvalidFunction.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "access/driver_device.h"
#include "access/driver_protocol.h"
#include "access/vendor_commands.h"
#include "platform/device_access.h"
#include "platform/record.h"

class FakeDriver : public platform::DeviceAccess {
public:
    using Bytes = std::vector<std::uint8_t>;
    using Block = drv::PassThroughBlock;
    using Cdb = std::array<std::uint8_t, Block::kCdbSize>;

    // One control request as it reached the driver.
    struct Request {
        std::uint32_t code = 0;
        Bytes block;  // the input block as sent
        std::uint32_t inputLength = 0;
        std::uint32_t outputLength = 0;
        bool sameBuffer = false;  // input and output are one block
        void* dataBuffer = nullptr;
        Bytes data;  // the data buffer's content when sent, transfer length long

        // The command block inside the input block (zeros when the input is
        // shorter than a pass-through block).
        Cdb cdb() const {
            Cdb bytes{};
            if (block.size() >= Block::kSize) {
                std::memcpy(bytes.data(), block.data() + Block::Cdb::offset, bytes.size());
            }
            return bytes;
        }
    };

    // How a pass-through request ends. By default: good status, no sense,
    // the data buffer left alone.
    class Answer {
    public:
        // The request fails with this system error; whatever status and
        // sense the answer also holds are still written into the block.
        Answer& failWith(std::uint32_t errorCode) {
            systemError_ = errorCode;
            return *this;
        }
        // The request completes with this SCSI status and sense.
        Answer& endWith(std::uint8_t scsiStatus, std::uint8_t senseLength = 0, Bytes sense = {}) {
            systemError_.reset();
            scsiStatus_ = scsiStatus;
            senseLength_ = senseLength;
            sense_ = std::move(sense);
            return *this;
        }
        // The request completes with good status and these bytes in the data
        // buffer (at most the transfer length of them). The bytes stay for
        // later requests; they are written only while the status is good.
        Answer& reply(Bytes data) {
            endWith(drv::kScsiStatusGood);
            reply_ = std::move(data);
            return *this;
        }
        // The reply bytes, for a test that changes some of them.
        Bytes& replyBytes() {
            if (!reply_) reply_.emplace();
            return *reply_;
        }

    private:
        friend class FakeDriver;
        std::optional<std::uint32_t> systemError_;
        std::uint8_t scsiStatus_ = drv::kScsiStatusGood;
        std::uint8_t senseLength_ = 0;
        Bytes sense_;
        std::optional<Bytes> reply_;
    };

    // The answer to requests for this vendor command.
    Answer& on(const vendor::Command& command) {
        for (auto& [known, answer] : answers_) {
            if (known == &command) return answer;
        }
        answers_.emplace_back(&command, Answer{});
        return answers_.back().second;
    }
    // The answer to pass-through requests no on() answer matches.
    Answer& otherwise() { return otherwise_; }

    // The text errorText gives for a system error code (empty when unset).
    void setErrorText(std::uint32_t code, std::string text) { errorTexts_[code] = std::move(text); }

    // Every control request so far, in order.
    std::vector<Request> requests;

    // The command blocks of the requests so far, in order.
    std::vector<Cdb> cdbs() const {
        std::vector<Cdb> all;
        for (const Request& r : requests) all.push_back(r.cdb());
        return all;
    }

    platform::DeviceHandle createFile(const char*, std::uint32_t, std::uint32_t, std::uint32_t,
                                      std::uint32_t) override {
        return reinterpret_cast<platform::DeviceHandle>(static_cast<std::intptr_t>(0x100));
    }

    bool deviceIoControl(platform::DeviceHandle, std::uint32_t controlCode, void* input,
                         std::uint32_t inputLength, void* output, std::uint32_t outputLength,
                         std::uint32_t*, void* dataBuffer) override {
        Request request;
        request.code = controlCode;
        const auto* in = static_cast<const std::uint8_t*>(input);
        if (in != nullptr) request.block.assign(in, in + inputLength);
        request.inputLength = inputLength;
        request.outputLength = outputLength;
        request.sameBuffer = input == output;
        request.dataBuffer = dataBuffer;
        const bool passThrough = controlCode == platform::kIoctlScsiPassThroughDirect &&
                                 inputLength >= Block::kSize && outputLength >= Block::kSize;
        const std::uint32_t length =
            passThrough ? rec::ByteView(input, inputLength).get<Block::DataTransferLength>() : 0;
        if (dataBuffer != nullptr) {
            const auto* data = static_cast<const std::uint8_t*>(dataBuffer);
            request.data.assign(data, data + length);
        }
        const Cdb cdb = request.cdb();
        requests.push_back(std::move(request));

        if (!passThrough) {
            lastError_ = platform::kErrorInvalidFunction;
            return false;
        }
        const Answer& answer = answerFor(cdb.data());
        auto* out = static_cast<std::uint8_t*>(output);
        const rec::ByteSpan returned(out, outputLength);
        returned.put<Block::ScsiStatus>(answer.scsiStatus_);
        returned.put<Block::SenseInfoLength>(answer.senseLength_);
        // An empty vector may have no storage at all: nothing to copy then.
        if (!answer.sense_.empty()) {
            std::memcpy(out + Block::Sense::offset, answer.sense_.data(),
                        answer.sense_.size() < Block::kSenseSize ? answer.sense_.size()
                                                                 : Block::kSenseSize);
        }
        if (answer.systemError_) {
            lastError_ = *answer.systemError_;
            return false;
        }
        if (answer.reply_ && answer.scsiStatus_ == drv::kScsiStatusGood && dataBuffer != nullptr &&
            !answer.reply_->empty()) {
            std::memcpy(dataBuffer, answer.reply_->data(),
                        length < answer.reply_->size() ? length : answer.reply_->size());
        }
        return true;
    }

    bool closeHandle(platform::DeviceHandle) override { return true; }
    bool setFilePointer(platform::DeviceHandle, std::int64_t, std::uint32_t,
                        std::int64_t*) override {
        return false;
    }
    bool readFile(platform::DeviceHandle, void*, std::uint32_t, std::uint32_t*) override {
        return false;
    }
    bool writeFile(platform::DeviceHandle, const void*, std::uint32_t, std::uint32_t*) override {
        return false;
    }
    std::uint32_t lastError() const override { return lastError_; }
    std::string errorText(std::uint32_t code) const override {
        const auto text = errorTexts_.find(code);
        return text != errorTexts_.end() ? text->second : std::string();
    }

private:
    const Answer& answerFor(const std::uint8_t* cdb) const {
        for (const auto& [command, answer] : answers_) {
            if (vendor::matches(*command, cdb)) return answer;
        }
        return otherwise_;
    }

    std::deque<std::pair<const vendor::Command*, Answer>> answers_;  // references stay valid
    Answer otherwise_;
    std::map<std::uint32_t, std::string> errorTexts_;
    std::uint32_t lastError_ = 0;
};

// A fake driver installed for the test's time, with a controller device
// opened on it.
class FakeDriverTest : public testing::Test {
protected:
    void SetUp() override {
        platform::overrideDeviceAccess(&driver);
        device = std::make_unique<ControllerDevice>("\\\\.\\scsi1:");
        ASSERT_TRUE(device->open());
    }
    void TearDown() override {
        device.reset();
        platform::overrideDeviceAccess(nullptr);
    }

    // The one request made so far (an empty one, after a failure, when
    // there is not exactly one).
    const FakeDriver::Request& onlyRequest() {
        EXPECT_EQ(driver.requests.size(), 1u);
        if (driver.requests.empty()) driver.requests.emplace_back();
        return driver.requests.front();
    }

    FakeDriver driver;
    std::unique_ptr<ControllerDevice> device;
};
