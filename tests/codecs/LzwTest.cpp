// LZW: our encoders against giflib's decoder, our decoder against giflib's encoder, any
// sub-block size, and corrupt code streams.
#include <gtest/gtest.h>

#include "GifCorpus.h"
#include "codecs/GifLzw.h"

namespace {

using corpus::Frame;

struct Decoded {
  std::vector<uint8_t> Pixels;
  std::vector<std::string> Warnings;
  size_t End = 0;
};

Decoded Decode(const std::string& data, int w, int h, bool interlaced, uint8_t fill = 0) {
  Decoded d;
  d.Pixels.assign(size_t(w) * h, fill);
  gif::TByteReader in(data.data(), data.size());
  gif::DecodeFrame(in, d.Pixels.data(), w, h, interlaced,
                   [&](gif::TGIFSeverity, const std::string& m) { d.Warnings.push_back(m); });
  d.End = in.Position();
  return d;
}

std::string Encode(const Frame& f, int compression, int colors) {
  std::string out;
  gif::EncodeFrame(out, compression, corpus::Bits(colors), colors, f.Width, f.Height, f.Interlaced,
                   f.Pixels.data());
  return out;
}

TEST(Lzw, EncodersRoundTripThroughGiflibAndOurDecoder) {
  struct Case {
    int W, H, Colors;
    bool Noise;
  };
  const Case cases[] = {{1, 1, 2, true},      {3, 5, 2, true},       {17, 13, 4, true},
                        {64, 64, 16, true},   {300, 200, 256, true}, {300, 200, 256, false},
                        {100, 100, 1, false}, {5, 2, 8, false},      {200, 200, 256, true},
                        {1, 3, 2, false},     {7, 5, 128, true}};
  for (const Case& c : cases)
    for (int compression : {0, 1})
      for (bool interlaced : {false, true}) {
        SCOPED_TRACE(testing::Message() << c.W << "x" << c.H << " colors " << c.Colors << " method "
                                        << compression << " il " << interlaced);
        corpus::Gif g;
        g.Width = c.W;
        g.Height = c.H;
        g.GlobalColors = std::max(c.Colors, 2);
        g.Frames.push_back(corpus::MakeFrame(c.W, c.H, c.Colors, uint32_t(c.W * c.H), c.Noise));
        g.Frames[0].Interlaced = interlaced;
        std::vector<std::vector<uint8_t>> back;
        ASSERT_TRUE(corpus::ReadGiflib(corpus::WriteOurs(g, compression), back));
        ASSERT_EQ(back.size(), 1u);
        EXPECT_EQ(back[0], g.Frames[0].Pixels);
        const std::string data = Encode(g.Frames[0], compression, g.GlobalColors);
        Decoded d = Decode(data, c.W, c.H, interlaced);
        EXPECT_EQ(d.Pixels, g.Frames[0].Pixels);
        EXPECT_EQ(d.End, data.size());
        EXPECT_TRUE(d.Warnings.empty());
      }
}

TEST(Lzw, AnySubBlockSizeGivesTheSamePixels) {
  const corpus::Gif g = corpus::OneFrame(97, 61, 256, 7);
  const std::string file = corpus::WriteGiflib(g);
  // Image data starts after header, screen descriptor, table and image descriptor.
  const std::string data = file.substr(13 + 768 + 10, file.size() - (13 + 768 + 10) - 1);
  for (size_t size : {1, 2, 3, 7, 254, 255}) {
    SCOPED_TRACE(size);
    const std::string chunked = corpus::Rechunk(data, size);
    Decoded d = Decode(chunked + "tail", 97, 61, false);
    EXPECT_EQ(d.Pixels, g.Frames[0].Pixels);
    EXPECT_EQ(d.End, chunked.size());
  }
}

TEST(Lzw, WriterNeverEmitsAnEmptySubBlock) {
  // 255 bytes of codes exactly: the data is one full sub-block and the terminator.
  for (int n : {1, 100, 340, 341, 2000}) {
    Frame f = corpus::MakeFrame(n, 1, 256, uint32_t(n));
    const std::string data = Encode(f, 0, 256);
    size_t p = 1;
    while (uint8_t(data[p]) != 0) p += uint8_t(data[p]) + 1u;
    EXPECT_EQ(p + 1, data.size()) << n;
  }
}

TEST(Lzw, HostileCodeStreams) {
  struct Case {
    const char* Name;
    std::string Data;
    bool Throws;
  };
  using namespace std::string_literals;
  const Case cases[] = {
      // code size 12 would index past the 4096-entry tables
      {"code size 12", "\x0c\x02\xff\xff\x00"s, true},
      {"code size 0", "\x00\x02\xff\xff\x00"s, true},
      // clear, then code 7 (> next free 6) as the first code
      {"first code not a pixel", "\x02\x01\x3c\x00"s, true},
      // clear, pixel 1, then code 7 while the next free code is 6
      {"code beyond next", "\x02\x02\xcc\x01\x00"s, true},
      // several clears in a row, then pixel 1 and end: one pixel
      {"clears in a row", "\x02\x02\x24\x53\x00"s, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    if (c.Throws) {
      EXPECT_THROW(Decode(c.Data, 4, 4, false), gif::GIFException);
    } else {
      Decoded d = Decode(c.Data, 4, 1, false, 9);
      EXPECT_EQ(d.Pixels, (std::vector<uint8_t>{1, 9, 9, 9}));
    }
  }
}

TEST(Lzw, ShortAndSurplusData) {
  Frame f = corpus::MakeFrame(40, 30, 16, 3);
  const std::string data = Encode(f, 0, 16);
  // Cut short: the pixels present are decoded, the rest keep the fill value.
  Decoded cut = Decode(data.substr(0, data.size() / 2), 40, 30, false, 99);
  EXPECT_EQ(cut.Pixels[0], f.Pixels[0]);
  EXPECT_EQ(cut.Pixels.back(), 99);
  EXPECT_FALSE(cut.Warnings.empty());
  // A sub-block claiming more bytes than the stream holds.
  std::string lying = data.substr(0, 2) + data.substr(2, 10);
  lying[1] = char(200);
  Decoded l = Decode(lying, 40, 30, false);
  EXPECT_NE(std::find(l.Warnings.begin(), l.Warnings.end(), "Premature end of data"),
            l.Warnings.end());
  // More pixels than the frame holds: decoding stops at the frame and skips to the
  // terminator.
  Decoded small = Decode(data + "x", 10, 3, false);
  EXPECT_EQ(std::vector<uint8_t>(small.Pixels.begin(), small.Pixels.end()),
            std::vector<uint8_t>(f.Pixels.begin(), f.Pixels.begin() + 30));
  EXPECT_EQ(small.End, data.size());
}

TEST(Lzw, ColorOutsideTheTableIsRefused) {
  Frame f = corpus::MakeFrame(4, 4, 8, 1);
  f.Pixels[5] = 9;
  for (int compression : {0, 1}) EXPECT_THROW(Encode(f, compression, 8), gif::GIFException);
}

}  // namespace
