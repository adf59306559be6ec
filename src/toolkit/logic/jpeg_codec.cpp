#include "toolkit/logic/jpeg_codec.h"

#include <algorithm>
#include <climits>
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

namespace qtk::jpeg {
namespace {

using Sink = std::function<void(const uint8_t* data, size_t size)>;

// The same ceiling the bitmap reader uses: 2^28 pixels is 768 MiB of BGR.
constexpr uint64_t kMaxPixels = uint64_t{1} << 28;
// Everything a decode holds (see DecodeBudget) stays below this, whatever the file.
constexpr uint64_t kMaxBudget = uint64_t{1} << 30;
// Huffman coding spends at least one bit per 8x8 block (a progressive DC scan; baseline needs two),
// so a real file holds at most 512 pixels per byte. The library pads a truncated file with grey
// instead of failing, so a tiny file could otherwise claim a huge frame. A file may make the
// decoder hold 6 KiB per byte: 2048 pixels of BGR output, four times the real maximum, which admits
// arithmetic-coded files; a file that also needs the library's whole-image buffers has to be
// correspondingly larger.
constexpr uint64_t kMaxBudgetPerFileByte = 2048 * 3;
// Row buffers, tables and the quantiser's histogram, on top of the whole-image buffers counted in
// the budget.
constexpr long kLibraryWorkingMemory = 64L << 20;
// Every scan of a multi-scan file walks all blocks of its components, even when it carries nothing
// but an end-of-band run, so a few bytes per scan could otherwise keep the decoder busy for
// minutes. Real progressive files walk the frame three or four times over; this is the number of
// whole-frame walks allowed.
constexpr uint64_t kMaxFrameWalks = 32;
constexpr size_t kOutputChunk = 64 * 1024;
constexpr int kQuality = 90;
constexpr int kQuantizedColours = 236;
// Rows converted per batch when the library cannot write BGR straight into the destination.
constexpr int kScratchRows = 16;

// State of one codec call, reached from the library's callbacks through client_data.
struct Session {
  jpeg_error_mgr err{};
  std::jmp_buf jump{};
  std::exception_ptr pending;  // an exception from the sink, carried across the library's C frames
  const Sink* sink = nullptr;
  std::vector<uint8_t> buffer;
  // Decoding: blocks walked by the scans begun so far, and the limit on them.
  int lastScan = 0;
  uint64_t blocksWalked = 0;
  uint64_t blockWalkLimit = 0;
};

Session& SessionOf(j_common_ptr cinfo) { return *static_cast<Session*>(cinfo->client_data); }

// The library must not return from error_exit; jump back to the Guarded call that entered it.
[[noreturn]] void ErrorExit(j_common_ptr cinfo) { std::longjmp(SessionOf(cinfo).jump, 1); }
// Warnings (corrupt data, premature end) are not worth a word: the picture is still shown.
void EmitMessage(j_common_ptr, int) {}
void OutputMessage(j_common_ptr) {}

jpeg_error_mgr* InstallErrors(Session& s) {
  jpeg_error_mgr* err = jpeg_std_error(&s.err);
  err->error_exit = ErrorExit;
  err->emit_message = EmitMessage;
  err->output_message = OutputMessage;
  return err;
}

std::string ErrorText(int code) { return "JPEG エラー #" + std::to_string(code); }

[[noreturn]] void Raise(j_common_ptr cinfo) {
  Session& s = SessionOf(cinfo);
  if (s.pending) std::rethrow_exception(std::exchange(s.pending, nullptr));
  throw ImageError(ErrorText(cinfo->err->msg_code));
}

// Runs one library call. Errors longjmp back here across C frames only, and are rethrown as C++
// exceptions; callers keep objects with destructors outside `fn`.
template <typename Fn>
auto Guarded(j_common_ptr cinfo, Fn&& fn) -> decltype(fn()) {
  if (setjmp(SessionOf(cinfo).jump) != 0) Raise(cinfo);
  return fn();
}

[[noreturn]] void Fail(j_common_ptr cinfo, int code) {
  cinfo->err->msg_code = code;
  cinfo->err->error_exit(cinfo);
  std::abort();  // error_exit never returns
}

// The library reports progress before each piece of input it consumes; a new scan number means a
// new scan.
void CountScanWalk(j_common_ptr common) {
  auto* c = reinterpret_cast<j_decompress_ptr>(common);
  Session& s = SessionOf(common);
  if (c->input_scan_number == s.lastScan) return;
  s.lastScan = c->input_scan_number;
  for (int i = 0; i < c->comps_in_scan; ++i) {
    s.blocksWalked +=
        uint64_t{c->cur_comp_info[i]->width_in_blocks} * c->cur_comp_info[i]->height_in_blocks;
  }
  if (s.blocksWalked > s.blockWalkLimit) Fail(common, JERR_IMAGE_TOO_BIG);
}

struct Decompressor {
  Session session;
  jpeg_decompress_struct cinfo{};
  jpeg_progress_mgr progress{};

  Decompressor() {
    cinfo.err = InstallErrors(session);
    cinfo.client_data = &session;
    Guarded(Common(), [&] { jpeg_create_decompress(&cinfo); });
    progress.progress_monitor = CountScanWalk;
    cinfo.progress = &progress;  // after creation, which clears everything but the error handler
  }
  ~Decompressor() { jpeg_destroy_decompress(&cinfo); }
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;

  j_common_ptr Common() { return reinterpret_cast<j_common_ptr>(&cinfo); }
};

PixelBuffer Allocate(const PixelAllocator& alloc, int32_t width, int32_t height) {
  PixelBuffer out = alloc(width, height);
  if (out.bits == nullptr || out.width != width || out.height != height ||
      out.stride < static_cast<size_t>(width) * 3) {
    throw std::logic_error("PixelAllocator returned a buffer of the wrong size");
  }
  return out;
}

// Reads the remaining scanlines into `rows`; the library fills as many as it can per call.
void ReadRows(Decompressor& d, JSAMPROW* rows, JDIMENSION count) {
  JDIMENSION done = 0;
  while (done < count) {
    const JDIMENSION got = Guarded(
        d.Common(), [&] { return jpeg_read_scanlines(&d.cinfo, rows + done, count - done); });
    // The memory source never suspends, so no progress means the decoder is stuck.
    if (got == 0) throw ImageError(ErrorText(JWRN_JPEG_EOF));
    done += got;
  }
}

// Fast path: the library writes BGR rows straight into the destination.
void ReadDirect(Decompressor& d, const PixelBuffer& out) {
  std::vector<JSAMPROW> rows(static_cast<size_t>(out.height));
  for (size_t y = 0; y < rows.size(); ++y) rows[y] = out.bits + y * out.stride;
  ReadRows(d, rows.data(), static_cast<JDIMENSION>(out.height));
}

// Reads batches of rows into scratch memory and lets `convert(src, dst)` turn one row into BGR.
template <typename Convert>
void ReadConverted(Decompressor& d, const PixelBuffer& out, Convert convert) {
  const size_t rowBytes = static_cast<size_t>(out.width) * d.cinfo.out_color_components;
  std::vector<uint8_t> scratch(rowBytes * kScratchRows);
  JSAMPROW rows[kScratchRows];
  for (int i = 0; i < kScratchRows; ++i) rows[i] = scratch.data() + i * rowBytes;
  for (int32_t y = 0; y < out.height; y += kScratchRows) {
    const int32_t batch = std::min(kScratchRows, out.height - y);
    ReadRows(d, rows, static_cast<JDIMENSION>(batch));
    for (int32_t i = 0; i < batch; ++i)
      convert(rows[i], out.bits + static_cast<size_t>(y + i) * out.stride);
  }
}

void ReadQuantized(Decompressor& d, const PixelBuffer& out) {
  // The colour map is final once start_decompress has run the histogram pass.
  uint8_t lut[256 * 3] = {};
  const bool grey = d.cinfo.out_color_components == 1;
  for (int i = 0; i < d.cinfo.actual_number_of_colors && i < 256; ++i) {
    lut[i * 3 + 0] = d.cinfo.colormap[grey ? 0 : 2][i];
    lut[i * 3 + 1] = d.cinfo.colormap[grey ? 0 : 1][i];
    lut[i * 3 + 2] = d.cinfo.colormap[0][i];
  }
  const int32_t w = out.width;
  ReadConverted(d, out, [&](const uint8_t* src, uint8_t* dst) {
    for (int32_t x = 0; x < w; ++x) {
      const uint8_t* c = &lut[src[x] * 3];
      dst[x * 3 + 0] = c[0];
      dst[x * 3 + 1] = c[1];
      dst[x * 3 + 2] = c[2];
    }
  });
}

void ReadCmyk(Decompressor& d, const PixelBuffer& out) {
  // Adobe applications store CMYK inverted (0 = full ink) and mark such files with their APP14
  // segment.
  const bool inverted = d.cinfo.saw_Adobe_marker != 0;
  const int32_t w = out.width;
  ReadConverted(d, out, [&](const uint8_t* src, uint8_t* dst) {
    for (int32_t x = 0; x < w; ++x) {
      // Each channel is the light its ink lets through, dimmed by the black ink's.
      const uint8_t* p = src + x * 4;
      const unsigned kLight = inverted ? p[3] : 255u - p[3];
      for (int c = 0; c < 3; ++c) {
        const unsigned light = inverted ? p[c] : 255u - p[c];
        dst[x * 3 + 2 - c] = static_cast<uint8_t>((light * kLight + 127) / 255);
      }
    }
  });
}

enum class Output { Direct, Quantized, Cmyk };

uint64_t RoundUp(uint64_t n, uint64_t step) { return (n + step - 1) / step * step; }

// What the library keeps for the whole image, known once the output is set up: the coefficients of
// every block for a multi-scan (progressive) file, and the decoded image for the two-pass
// quantiser.
uint64_t LibraryImageBuffers(j_decompress_ptr c, bool multiScan) {
  uint64_t bytes = 0;
  if (multiScan) {
    for (int ci = 0; ci < c->num_components; ++ci) {
      const jpeg_component_info& comp = c->comp_info[ci];
      bytes += RoundUp(comp.width_in_blocks, comp.h_samp_factor) *
               RoundUp(comp.height_in_blocks, comp.v_samp_factor) * sizeof(JBLOCK);
    }
  }
  if (c->quantize_colors && c->two_pass_quantize && c->out_color_components == 3) {
    bytes += uint64_t{c->output_width} * 3 * RoundUp(c->output_height, c->max_v_samp_factor);
  }
  return bytes;
}

uint64_t FrameBlocks(j_decompress_ptr c) {
  uint64_t blocks = 0;
  for (int ci = 0; ci < c->num_components; ++ci) {
    blocks += uint64_t{c->comp_info[ci].width_in_blocks} * c->comp_info[ci].height_in_blocks;
  }
  return blocks;
}

struct Compressor {
  Session session;
  jpeg_compress_struct cinfo{};
  jpeg_destination_mgr dest{};

  explicit Compressor(const Sink& sink) {
    session.sink = &sink;
    cinfo.err = InstallErrors(session);
    cinfo.client_data = &session;
    Guarded(Common(), [&] { jpeg_create_compress(&cinfo); });
  }
  ~Compressor() { jpeg_destroy_compress(&cinfo); }
  Compressor(const Compressor&) = delete;
  Compressor& operator=(const Compressor&) = delete;

  j_common_ptr Common() { return reinterpret_cast<j_common_ptr>(&cinfo); }
};

void ResetBuffer(j_compress_ptr cinfo) {
  Session& s = SessionOf(reinterpret_cast<j_common_ptr>(cinfo));
  cinfo->dest->next_output_byte = s.buffer.data();
  cinfo->dest->free_in_buffer = s.buffer.size();
}

// Hands `size` buffered bytes to the sink; a throwing sink is remembered and unwinds through
// error_exit's jump.
void Flush(j_compress_ptr cinfo, size_t size) {
  Session& s = SessionOf(reinterpret_cast<j_common_ptr>(cinfo));
  if (size == 0) return;
  try {
    (*s.sink)(s.buffer.data(), size);
  } catch (...) {
    s.pending = std::current_exception();
  }
  if (s.pending) std::longjmp(s.jump, 1);
}

void InitDestination(j_compress_ptr cinfo) { ResetBuffer(cinfo); }

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
  // The library calls this with the whole buffer full, whatever free_in_buffer says.
  Flush(cinfo, SessionOf(reinterpret_cast<j_common_ptr>(cinfo)).buffer.size());
  ResetBuffer(cinfo);
  return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
  Flush(cinfo, SessionOf(reinterpret_cast<j_common_ptr>(cinfo)).buffer.size() -
                   cinfo->dest->free_in_buffer);
}

// A box of 0 x 0 decodes at full size. Returns the picture's own size.
std::pair<int32_t, int32_t> DecodeInto(std::span<const uint8_t> file, bool quantize,
                                       const PixelAllocator& alloc, int32_t boxWidth,
                                       int32_t boxHeight) {
  if (file.size() > ULONG_MAX) throw ImageError(ErrorText(JERR_IMAGE_TOO_BIG));
  Decompressor d;
  j_decompress_ptr c = &d.cinfo;
  Guarded(d.Common(), [&] {
    jpeg_mem_src(c, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(c, TRUE);
  });

  const bool grey = c->jpeg_color_space == JCS_GRAYSCALE;
  const bool cmyk = c->jpeg_color_space == JCS_CMYK || c->jpeg_color_space == JCS_YCCK;
  // Four-ink files are converted here, unquantised: the library's quantisers only map its own
  // colour spaces.
  const Output mode = cmyk ? Output::Cmyk : (quantize || grey) ? Output::Quantized : Output::Direct;
  c->scale_num = 1;
  c->scale_denom = boxWidth > 0 && boxHeight > 0
                       ? static_cast<unsigned>(ReducedScale(static_cast<int32_t>(c->image_width),
                                                            static_cast<int32_t>(c->image_height),
                                                            boxWidth, boxHeight))
                       : 1;
  c->dct_method = JDCT_ISLOW;
  c->do_block_smoothing = TRUE;
  c->buffered_image = FALSE;
  switch (mode) {
    case Output::Direct:
      c->out_color_space = JCS_EXT_BGR;
      break;
    case Output::Cmyk:
      c->out_color_space = JCS_CMYK;
      break;
    case Output::Quantized:
      c->out_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
      c->quantize_colors = TRUE;
      c->desired_number_of_colors = kQuantizedColours;
      break;
  }
  Guarded(d.Common(), [&] { jpeg_calc_output_dimensions(c); });

  // Refused before anything large is allocated: our BGR output plus the library's whole-image
  // buffers. The pixel limit takes the picture's own size, also when the output is reduced.
  const uint64_t pixels = uint64_t{c->image_width} * c->image_height;
  const uint64_t output = uint64_t{c->output_width} * c->output_height;
  const bool multiScan = Guarded(d.Common(), [&] { return jpeg_has_multiple_scans(c) != FALSE; });
  const uint64_t library = LibraryImageBuffers(c, multiScan);
  const uint64_t budget = output * 3 + library;
  if (pixels > kMaxPixels || budget > kMaxBudget || budget / kMaxBudgetPerFileByte > file.size()) {
    throw ImageError(ErrorText(JERR_IMAGE_TOO_BIG));
  }
  // The library's own limit backs this up: whole-image buffers beyond it fail instead of being
  // allocated.
  c->mem->max_memory_to_use = static_cast<long>(library) + kLibraryWorkingMemory;
  d.session.blockWalkLimit = kMaxFrameWalks * FrameBlocks(c);
  const PixelBuffer out = Allocate(alloc, static_cast<int32_t>(c->output_width),
                                   static_cast<int32_t>(c->output_height));
  Guarded(d.Common(), [&] { jpeg_start_decompress(c); });
  switch (mode) {
    case Output::Direct:
      ReadDirect(d, out);
      break;
    case Output::Quantized:
      ReadQuantized(d, out);
      break;
    case Output::Cmyk:
      ReadCmyk(d, out);
      break;
  }
  // jpeg_finish_decompress is skipped on purpose: it only checks what follows the image, and damage
  // there must not discard a picture that decoded completely. Destroying the decompressor releases
  // everything.
  return {static_cast<int32_t>(c->image_width), static_cast<int32_t>(c->image_height)};
}

}  // namespace

int ReducedScale(int32_t width, int32_t height, int32_t boxWidth, int32_t boxHeight) {
  if (width <= 0 || height <= 0 || boxWidth <= 0 || boxHeight <= 0) return 1;
  const double fit = std::min({1.0, double(boxWidth) / width, double(boxHeight) / height});
  for (int32_t denom : {8, 4, 2}) {
    if ((width + denom - 1) / denom >= width * fit && (height + denom - 1) / denom >= height * fit)
      return denom;
  }
  return 1;
}

void Decode(std::span<const uint8_t> file, bool quantize, const PixelAllocator& alloc) {
  DecodeInto(file, quantize, alloc, 0, 0);
}

std::pair<int32_t, int32_t> DecodeReduced(std::span<const uint8_t> file, int32_t boxWidth,
                                          int32_t boxHeight, const PixelAllocator& alloc) {
  return DecodeInto(file, false, alloc, std::max(boxWidth, 1), std::max(boxHeight, 1));
}

void Encode(const PixelBuffer& src, const Sink& sink) {
  if (src.width <= 0 || src.height <= 0) return;
  Compressor comp(sink);
  comp.session.buffer.resize(kOutputChunk);
  comp.dest.init_destination = InitDestination;
  comp.dest.empty_output_buffer = EmptyOutputBuffer;
  comp.dest.term_destination = TermDestination;
  j_compress_ptr c = &comp.cinfo;
  c->dest = &comp.dest;
  c->image_width = static_cast<JDIMENSION>(src.width);
  c->image_height = static_cast<JDIMENSION>(src.height);
  // The colour space must be known before the defaults, which derive the JPEG colour space from it.
  c->input_components = 3;
  c->in_color_space = JCS_EXT_BGR;
  Guarded(comp.Common(), [&] {
    jpeg_set_defaults(c);
    jpeg_set_quality(c, kQuality, TRUE);
    jpeg_start_compress(c, TRUE);
  });

  std::vector<JSAMPROW> rows(static_cast<size_t>(src.height));
  for (size_t y = 0; y < rows.size(); ++y) rows[y] = src.bits + y * src.stride;
  while (c->next_scanline < c->image_height) {
    const JDIMENSION next = c->next_scanline;
    const JDIMENSION wrote = Guarded(comp.Common(), [&] {
      return jpeg_write_scanlines(c, rows.data() + next, c->image_height - next);
    });
    if (wrote == 0) throw ImageError(ErrorText(JERR_FILE_WRITE));
  }
  Guarded(comp.Common(), [&] { jpeg_finish_compress(c); });
}

}  // namespace qtk::jpeg
