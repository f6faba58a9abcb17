#include "import/PhotoChooser.h"

#include <algorithm>
#include <new>

PhotoChooser::PhotoChooser(PhotoOrder order, uint32_t seed) : m_order(order), m_random(seed | 1) {}

bool PhotoChooser::Add(std::string name, uint64_t time) {
    if (m_names.size() >= kMaxPhotoNames) {
        return false;
    }
    try {
        const auto index = static_cast<uint32_t>(m_names.size());
        m_names.push_back(std::move(name));
        m_times.push_back(time);
        m_state.push_back(0);
        if (m_order == PhotoOrder::kShuffle) {
            m_pool.push_back(index);
        } else {
            m_sequence.push_back(index);
        }
    } catch (const std::bad_alloc&) {
        // The lists stay as long as each other: whatever was added last is undone.
        const size_t n = std::min({m_names.size(), m_times.size(), m_state.size()});
        m_names.resize(n);
        m_times.resize(n);
        m_state.resize(n);
        return false;
    }
    return true;
}

std::vector<uint32_t> PhotoChooser::SortedSequence() const {
    std::vector<uint32_t> sequence(m_names.size());
    for (uint32_t i = 0; i < sequence.size(); ++i) {
        sequence[i] = i;
    }
    if (m_order == PhotoOrder::kName) {
        std::stable_sort(sequence.begin(), sequence.end(),
                         [&](uint32_t a, uint32_t b) { return m_names[a] < m_names[b]; });
    } else if (m_order == PhotoOrder::kDate) {
        std::stable_sort(sequence.begin(), sequence.end(), [&](uint32_t a, uint32_t b) {
            return m_times[a] != m_times[b] ? m_times[a] < m_times[b] : m_names[a] < m_names[b];
        });
    }
    return sequence;
}

void PhotoChooser::UseSequence(std::vector<uint32_t> sequence) {
    if (m_order == PhotoOrder::kShuffle || sequence.size() != m_names.size()) {
        return;
    }
    // Goes on after the photo the old walk handed out last.
    const uint32_t last =
        m_cursor > 0 && m_cursor <= m_sequence.size() ? m_sequence[m_cursor - 1] : UINT32_MAX;
    m_sequence = std::move(sequence);
    m_cursor = 0;
    for (size_t i = 0; last != UINT32_MAX && i < m_sequence.size(); ++i) {
        if (m_sequence[i] == last) {
            m_cursor = i + 1;
            break;
        }
    }
}

std::optional<uint32_t> PhotoChooser::Next() {
    const std::optional<uint32_t> next =
        m_order == PhotoOrder::kShuffle ? NextShuffled() : NextInSequence();
    if (next) {
        m_state[*next] |= kInUse;
    }
    return next;
}

std::optional<uint32_t> PhotoChooser::NextShuffled() {
    for (int round = 0; round < 2; ++round) {
        if (!m_pool.empty()) {
            // A random start, then the first photo not in use from there.
            const size_t start = Random() % m_pool.size();
            for (size_t k = 0; k < m_pool.size(); ++k) {
                const size_t at = (start + k) % m_pool.size();
                const uint32_t index = m_pool[at];
                if (Eligible(index)) {
                    m_pool[at] = m_pool.back();
                    m_pool.pop_back();
                    return index;
                }
            }
        }
        // Every photo of the round is shown or in use: a new round of all the others.
        m_pool.clear();
        for (uint32_t i = 0; i < m_names.size(); ++i) {
            if (!(m_state[i] & kDropped)) {
                m_pool.push_back(i);
            }
        }
    }
    return std::nullopt;
}

std::optional<uint32_t> PhotoChooser::NextInSequence() {
    const size_t n = m_sequence.size();
    for (size_t k = 0; k < n; ++k) {
        const size_t at = (m_cursor + k) % n;
        if (Eligible(m_sequence[at])) {
            m_cursor = at + 1;
            return m_sequence[at];
        }
    }
    return std::nullopt;
}

void PhotoChooser::Release(uint32_t index) {
    if (index < m_state.size()) {
        m_state[index] &= ~kInUse;
    }
}

void PhotoChooser::PutBack(uint32_t index) {
    if (index >= m_state.size()) {
        return;
    }
    m_state[index] &= ~kInUse;
    if (m_order == PhotoOrder::kShuffle &&
        std::find(m_pool.begin(), m_pool.end(), index) == m_pool.end()) {
        m_pool.push_back(index);
    }
}

void PhotoChooser::Drop(uint32_t index) {
    if (index < m_state.size()) {
        m_state[index] = kDropped;
    }
}

// xorshift32: the order need only look random, and a seed repeats it in tests.
uint32_t PhotoChooser::Random() {
    m_random ^= m_random << 13;
    m_random ^= m_random >> 17;
    m_random ^= m_random << 5;
    return m_random;
}
