#pragma once

#include <string>
#include <string_view>

namespace obitrak {

// Where an export writes its bytes.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual void write(std::string_view bytes) = 0;

  // One line of text ended by CR LF, as every text file of the program ends its lines.
  void line(std::string_view text = {}) {
    write(text);
    write("\r\n");
  }
};

// Collects the bytes in memory.
class StringSink : public ByteSink {
 public:
  void write(std::string_view bytes) override { m_data.append(bytes); }
  const std::string& data() const { return m_data; }
  // The bytes collected, handed over; the sink is empty after.
  std::string take() { return std::move(m_data); }

 private:
  std::string m_data;
};

}  // namespace obitrak
