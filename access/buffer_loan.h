#pragma once
// Data buffers handed to the management library by a 32-bit address.
//
// A request record (BypassRequest, FlashRequest, AtaPassRequest) names its
// data buffer by a 32-bit address. On the product's 32-bit system that is
// the buffer's own address, which the maker's library uses as it is. A wider host cannot put its addresses
// there, so every buffer handed over is lent for the length of one call: the
// loan registers it under a 32-bit number (its address where that fits,
// otherwise a number of its own), and a library that serves the request
// here finds the buffer by that number with findLentBuffer. A number no
// loan holds is never taken for memory.

#include <cstdint>
#include <map>
#include <mutex>

namespace lib {

struct LentBuffer {
    void* data = nullptr;
    std::uint32_t length = 0;
};

namespace detail {

struct LoanTable {
    std::mutex mutex;
    std::map<std::uint32_t, LentBuffer> loans;
    std::uint32_t next = 0x10000;
};

inline LoanTable& loanTable() {
    static LoanTable table;
    return table;
}

// A library loaded from a file of its own (the simulator kit) has a table
// of its own that no loan reaches: it looks the numbers up in the
// program's table through this, which the program hands it when it loads.
using LoanLookup = bool (*)(std::uint32_t address, LentBuffer* found);
inline LoanLookup& loanLookup() {
    static LoanLookup lookup = nullptr;
    return lookup;
}

}  // namespace detail

class BufferLoan {
public:
    BufferLoan(void* data, std::uint32_t length) {
        if (data == nullptr) return;
        detail::LoanTable& t = detail::loanTable();
        std::lock_guard<std::mutex> lock(t.mutex);
        const auto address = reinterpret_cast<std::uintptr_t>(data);
        std::uint32_t number = 0;
        if (address <= 0xFFFFFFFFu && t.loans.count(static_cast<std::uint32_t>(address)) == 0) {
            number = static_cast<std::uint32_t>(address);
        } else {
            do {
                t.next += 16;
                if (t.next < 0x10000) t.next = 0x10000;
            } while (t.loans.count(t.next) != 0);
            number = t.next;
        }
        t.loans[number] = LentBuffer{data, length};
        number_ = number;
    }
    ~BufferLoan() {
        if (number_ == 0) return;
        detail::LoanTable& t = detail::loanTable();
        std::lock_guard<std::mutex> lock(t.mutex);
        t.loans.erase(number_);
    }
    BufferLoan(const BufferLoan&) = delete;
    BufferLoan& operator=(const BufferLoan&) = delete;

    // What goes into the request's address field; 0 for no buffer.
    std::uint32_t address() const { return number_; }

private:
    std::uint32_t number_ = 0;
};

// The buffer lent under the number, if a loan holds it now.
inline bool findLentBuffer(std::uint32_t address, LentBuffer* found) {
    if (address == 0) return false;
    if (const detail::LoanLookup lookup = detail::loanLookup()) return lookup(address, found);
    detail::LoanTable& t = detail::loanTable();
    std::lock_guard<std::mutex> lock(t.mutex);
    const auto it = t.loans.find(address);
    if (it == t.loans.end()) return false;
    if (found != nullptr) *found = it->second;
    return true;
}

// Where findLentBuffer looks from now on: the program's own table (null),
// or the one a loading program lends.
inline void lookUpLoansThrough(detail::LoanLookup lookup) { detail::loanLookup() = lookup; }

}  // namespace lib
