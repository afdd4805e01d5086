#include <gtest/gtest.h>

#include <random>

#include "act/look_mapping.h"
#include "capture/base64.h"
#include "fakes/service_harness.h"
#include "observe/look_access.h"
#include "observe/look_command.h"
#include "observe/look_image_options.h"

namespace winhelper {
namespace {

using fakes::error_of;
using fakes::FakeCaptureWindow;
using fakes::FakeElement;

// A 2560 x 1400 window at (100, 50) over a photo-like picture (smooth colour
// with noise: far too large as a PNG), with one button.
class LookBudgetTest : public ::testing::Test {
 protected:
  LookBudgetTest() {
    const ScreenRect rect{100, 50, 2660, 1450};
    WindowHandle handle = h.windows.add({.title = "Photo", .class_name = "AppWindow", .rect = rect});
    FakeCaptureWindow capture;
    capture.rect = rect;
    capture.printed.resize(std::size_t{2560} * 1400 * 4);
    std::mt19937 noise(7);
    for (std::size_t i = 0; i < capture.printed.size(); i += 4) {
      const std::size_t x = (i / 4) % 2560, y = (i / 4) / 2560;
      capture.printed[i] = static_cast<std::uint8_t>(x / 12 + noise() % 24);
      capture.printed[i + 1] = static_cast<std::uint8_t>(y / 7 + noise() % 24);
      capture.printed[i + 2] = static_cast<std::uint8_t>((x + y) / 20 + noise() % 24);
    }
    h.screen.windows[handle] = capture;
    FakeElement& root = h.uia.add_window(handle, "Photo");
    root.rect = rect;
    FakeElement& button = h.uia.add_child(root, "Photo button");
    button.control_type = 50000;
    button.name = "OK";
    button.rect = ScreenRect{1101, 651, 1303, 733};  // centre (1202, 692)
    button.invoke = true;
  }

  Json look_with(const ImageBudget* budget, const Json& args) {
    CommandContext ctx = h.context();
    ctx.image_budget = budget;
    Result<Json> result = look_command(args, ctx);
    EXPECT_TRUE(result.ok()) << (result.ok() ? "" : result.error().message);
    return result.ok() ? *result : Json();
  }

  fakes::ServiceHarness h;
};

TEST_F(LookBudgetTest, BudgetedLooksFitAndTheirPointsMapToTheScreen) {
  const ImageBudget standard;
  const ImageBudget tight{1568, 16384};
  struct Case {
    const char* name;
    const ImageBudget* budget;
    const char* args;
    int width;  // expected image width; 0: smaller than 1568 (shrunk to fit)
    const char* format;
  };
  const Case cases[] = {
      {"default budget", &standard, R"({"rootRef":"@w1"})", 1568, "jpeg"},
      {"maxDimension smaller", &standard, R"({"rootRef":"@w1","maxDimension":800})", 800, "png"},
      {"tight bytes", &tight, R"({"rootRef":"@w1"})", 0, "jpeg"},
  };
  for (const Case& c : cases) {
    Json result = look_with(c.budget, Json::parse(c.args));
    const Json& image = result["image"];
    ASSERT_TRUE(image.is_object()) << c.name;
    const std::string base64 = image["jpegBase64"];
    EXPECT_LE(base64.size(), c.budget->max_base64_bytes) << c.name;
    EXPECT_EQ(image["format"], c.format) << c.name;
    EXPECT_EQ(image["mimeType"], "image/" + std::string(c.format)) << c.name;
    // The first bytes of a JPEG or PNG file.
    EXPECT_EQ(base64.substr(0, 4), *c.format == 'j' ? "/9j/" : "iVBO") << c.name;
    const int width = image["width"];
    if (c.width > 0) {
      EXPECT_EQ(width, c.width) << c.name;
      EXPECT_FALSE(image.contains("shrunkToFit")) << c.name;
    } else {
      EXPECT_LT(width, 1568) << c.name;
      EXPECT_TRUE(image.value("shrunkToFit", false)) << c.name;
    }
    EXPECT_NEAR(image["scale"].get<double>(), width / 2560.0, 1e-4) << c.name;

    // The button's centre in image pixels maps back to its centre on screen.
    const Json& button = result["outline"]["children"][0]["children"][0];
    const Json& r = button["rect"];
    auto look = find_look(h.shared, result["lookId"].get<std::string>(), kDefaultSession);
    ASSERT_TRUE(look.ok() && look->has_value()) << c.name;
    EXPECT_EQ((*look)->image_width, width) << c.name;
    const ScreenPosition centre =
        resolve_look_point(**look, r["x"].get<double>() + r["w"].get<double>() / 2,
                           r["y"].get<double>() + r["h"].get<double>() / 2);
    EXPECT_NEAR(centre.x, 1202, 1e-6) << c.name;
    EXPECT_NEAR(centre.y, 692, 1e-6) << c.name;
  }
}

TEST_F(LookBudgetTest, LineProtocolKeepsItsAnswerAndEncodesJpegOnRequest) {
  Json plain = fakes::ask(h, "look", R"({"rootRef":"@w1"})");
  ASSERT_EQ(error_of(plain), "ok");
  Json image = plain["result"]["image"];
  const std::string base64 = image["jpegBase64"];
  EXPECT_EQ(base64.substr(0, 4), "iVBO");  // PNG
  image.erase("jpegBase64");
  EXPECT_EQ(image, Json::parse(R"({"height":1400,"mimeType":"image/png","width":2560})"));

  Json jpeg = fakes::ask(h, "look", R"({"rootRef":"@w1","imageFormat":"jpeg","jpegQuality":30,"maxDimension":1000})");
  ASSERT_EQ(error_of(jpeg), "ok");
  image = jpeg["result"]["image"];
  EXPECT_EQ(image["jpegBase64"].get<std::string>().substr(0, 4), "/9j/");
  image.erase("jpegBase64");
  EXPECT_EQ(image, Json::parse(R"({"format":"jpeg","height":547,"jpegQuality":30,
                                  "mimeType":"image/jpeg","scale":0.3906,"width":1000})"));
}

TEST(LookImageOptions, ArgumentsAreCheckedAndPlannedAgainstTheBudget) {
  const struct {
    const char* args;
    const char* error;  // empty: accepted
  } parsed[] = {
      {R"({})", ""},
      {R"({"imageFormat":"png"})", ""},
      {R"({"imageFormat":"jpeg","jpegQuality":100})", ""},
      {R"({"imageFormat":"gif"})", "imageFormat must be \"png\" or \"jpeg\""},
      {R"({"imageFormat":null})", "imageFormat must be \"png\" or \"jpeg\""},
      {R"({"imageFormat":"jpeg","jpegQuality":0})", "jpegQuality must be an integer from 1 to 100"},
      {R"({"imageFormat":"jpeg","jpegQuality":101})", "jpegQuality must be an integer from 1 to 100"},
      {R"({"imageFormat":"jpeg","jpegQuality":50.5})", "jpegQuality must be an integer from 1 to 100"},
      {R"({"imageFormat":"jpeg","jpegQuality":"80"})", "jpegQuality must be an integer from 1 to 100"},
      {R"({"jpegQuality":80})", "jpegQuality needs imageFormat \"jpeg\""},
      {R"({"imageFormat":"png","jpegQuality":80})", "jpegQuality needs imageFormat \"jpeg\""},
  };
  for (const auto& c : parsed) {
    Result<LookImageOptions> options = parse_look_image_options(Json::parse(c.args));
    EXPECT_EQ(options.ok() ? "" : options.error().message, c.error) << c.args;
  }

  const ImageBudget budget{1000, 5000};
  const LookImageOptions none;
  LookImagePlan line = plan_look_image(std::nullopt, none, nullptr);
  EXPECT_EQ(line.max_dimension, std::nullopt);
  EXPECT_EQ(line.encoding.max_base64_bytes, std::nullopt);
  EXPECT_FALSE(line.described);

  LookImagePlan mcp = plan_look_image(std::nullopt, none, &budget);
  EXPECT_EQ(mcp.max_dimension, 1000u);
  EXPECT_EQ(mcp.encoding.max_base64_bytes, 5000u);
  EXPECT_TRUE(mcp.described);
  EXPECT_EQ(plan_look_image(4000, none, &budget).max_dimension, 4000u);  // larger, per call

  LookImagePlan fixed = plan_look_image(std::nullopt, {ImageFormat::Jpeg, std::nullopt}, &budget);
  EXPECT_EQ(fixed.encoding.max_base64_bytes, std::nullopt);
  EXPECT_EQ(fixed.encoding.jpeg_quality, kDefaultJpegQuality);
  EXPECT_EQ(fixed.max_dimension, 1000u);
}

}  // namespace
}  // namespace winhelper
