#pragma once

#include <cstdint>

// The picture shown in place of the fingerprint when an enrollment attempt is
// refused: a framed two-line prompt, 68 x 28 pixels, 0 ink on 128.
namespace ridgecore::api {

inline constexpr int kRetryWidth = 68;
inline constexpr int kRetryHeight = 28;
inline constexpr uint8_t kRetryInk = 0;
inline constexpr uint8_t kRetryPaper = 128;

const uint8_t* retryPicture();

// 100 x 100 preview: 128 with a black diagonal, the prompt at rows 35..62, columns 16..83.
void drawRetryIntoPreview(uint8_t* preview);
// 300 x 300 image: 128 with a black diagonal, the prompt at rows 45..72, columns 116..183.
void drawRetryIntoImage(uint8_t* image);

}  // namespace ridgecore::api
