// Network addresses and the telnet / RFC 2217 byte work of the network port.

#include <gtest/gtest.h>

#include "platform/network_address.h"
#include "platform/telnet_com_port.h"

namespace kelvo6::platform {
namespace {

using telnet::Bytes;

TEST(NetworkAddress, UsableAndRefusedAddresses) {
  struct Case {
    const char* text;
    bool ok;
    NetworkAddress::Kind kind;
    const char* host;
    int port;
  };
  const Case cases[] = {
      {"tcp://127.0.0.1:3333", true, NetworkAddress::Kind::kRaw, "127.0.0.1", 3333},
      {"rfc2217://car-7.local:65535/", true, NetworkAddress::Kind::kRfc2217, "car-7.local", 65535},
      {"tcp://[::1]:2000", true, NetworkAddress::Kind::kRaw, "::1", 2000},
      {"tcp://host", false, {}, "", 0},
      {"tcp://:3333", false, {}, "", 0},
      {"tcp://host:0", false, {}, "", 0},
      {"tcp://host:70000", false, {}, "", 0},
      {"tcp://host:12ab", false, {}, "", 0},
      {"tcp://::1:2000", false, {}, "", 0},
      {"telnet://host:23", false, {}, "", 0},
  };
  for (const Case& c : cases) {
    std::string why;
    auto a = parseNetworkAddress(c.text, &why);
    ASSERT_EQ(a.has_value(), c.ok) << c.text;
    if (!c.ok) {
      EXPECT_FALSE(why.empty()) << c.text;
      continue;
    }
    EXPECT_EQ(a->kind, c.kind);
    EXPECT_EQ(a->host, c.host);
    EXPECT_EQ(a->port, c.port);
    EXPECT_EQ(parseNetworkAddress(formatNetworkAddress(*a))->host, c.host);
  }
  EXPECT_TRUE(isNetworkPort("rfc2217://x"));
  EXPECT_FALSE(isNetworkPort("/dev/ttyUSB0"));
}

// Every byte value survives escaping and decoding, fed in pieces of any size,
// and telnet commands between the data never reach it.
TEST(Telnet, DataRoundTripsAroundCommandsWhateverTheCuts) {
  Bytes data;
  for (int i = 0; i < 256; ++i) data.push_back(static_cast<std::uint8_t>(255 - i));
  Bytes stream = telnet::escape(data);
  Bytes command = telnet::option(telnet::kDo, telnet::kComPort);
  stream.insert(stream.begin() + 3, command.begin(), command.end());
  Bytes sub{telnet::kIac, telnet::kSb, telnet::kComPort, 101, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, telnet::kIac, telnet::kSe};
  stream.insert(stream.end() - 1, sub.begin(), sub.end());
  for (std::size_t piece : {1u, 2u, 5u, 1000u}) {
    telnet::Decoder decoder;
    Bytes out;
    std::vector<telnet::Event> events;
    for (std::size_t at = 0; at < stream.size(); at += piece)
      decoder.feed(stream.data() + at, std::min(piece, stream.size() - at), &out, &events);
    EXPECT_EQ(out, data) << "pieces of " << piece;
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].verb, telnet::kDo);
    SerialSettings confirmed;
    EXPECT_EQ(telnet::takeAnswer(events[1], &confirmed), telnet::kSetBaud);
    EXPECT_EQ(confirmed.baud, 0xFFFF);
  }
}

TEST(Telnet, LineSettingsAreAskedAndTheServersAnswersTaken) {
  SerialSettings asked{115200, 'e', 7, 15};
  telnet::Decoder decoder;
  Bytes data;
  std::vector<telnet::Event> sent;
  Bytes request = telnet::setLine(asked);
  decoder.feed(request.data(), request.size(), &data, &sent);
  EXPECT_TRUE(data.empty());
  ASSERT_EQ(sent.size(), 5u);  // WILL COM-PORT-OPTION and four commands
  // A server answers each command with its code + 100 and the value it set.
  SerialSettings confirmed;
  for (std::size_t i = 1; i < sent.size(); ++i) {
    telnet::Event answer = sent[i];
    answer.payload[0] = static_cast<std::uint8_t>(answer.payload[0] + telnet::kServerOffset);
    EXPECT_TRUE(telnet::takeAnswer(answer, &confirmed));
    EXPECT_FALSE(telnet::takeAnswer(sent[i], &confirmed)) << "our own command is no answer";
  }
  EXPECT_EQ(formatSerialSettings(confirmed), formatSerialSettings(asked));
  // Options: binary and COM port control are taken, echo refused.
  EXPECT_EQ(telnet::answerTo({telnet::kDo, telnet::kBinary, {}}), telnet::option(telnet::kWill, telnet::kBinary));
  EXPECT_EQ(telnet::answerTo({telnet::kWill, 1, {}}), telnet::option(telnet::kDont, 1));
  EXPECT_TRUE(telnet::answerTo({telnet::kWont, telnet::kComPort, {}}).empty());
}

}  // namespace
}  // namespace kelvo6::platform
