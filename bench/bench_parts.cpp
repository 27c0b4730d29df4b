#include <benchmark/benchmark.h>

#include <string>

#include <cstring>
#include <sys/stat.h>
#include <vector>

#include <isa-l/igzip_lib.h>
#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>

#include <Bitmap.h>
#include <Entry.h>

#include "bench_support.h"
#include "model/catalogue_items.h"
#include "model/globals.h"
#include "model/object.h"
#include "model/tevraview.h"
#include "preview_ui/preview.h"
#include "preview_ui/prevwindow.h"
#include "shared_ui/messages.h"

namespace {

struct resolution {
	int width;
	int height;
};

const resolution kResolutions[] = {{1920, 1080}, {3840, 2160}};

std::string label(resolution screen)
{
	return std::to_string(screen.width) + "x" + std::to_string(screen.height);
}

// Puts the screen at the given size and reads a benchmark design into view.
void load(tevraview* view, bool photo, resolution screen, const char* mime = "image/png")
{
	entry_ref ref;
	get_ref_for_path(files().design(photo, mime, screen.width, screen.height).c_str(), &ref);
	view->load_config(&ref);
}

tevraview* make_view(resolution screen)
{
	scrn.Set(0, 0, screen.width - 1, screen.height - 1);
	return new tevraview(scrn);
}

void BM_ComposeWallpaper(benchmark::State& state)
{
	resolution screen = kResolutions[state.range(0)];
	tevraview* view = make_view(screen);
	load(view, state.range(1) != 0, screen);
	for (auto _ : state)
		view->create_wallpaper();
	state.SetLabel(label(screen) + (state.range(1) != 0 ? " photo" : " colour"));
	delete view;
}
BENCHMARK(BM_ComposeWallpaper)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond);

void BM_Save(benchmark::State& state)
{
	resolution screen = kResolutions[0];
	tevraview* view = make_view(screen);
	load(view, true, screen);
	view->create_wallpaper();
	outfmt = state.range(0);
	format_item* format = (format_item*)xlt.ItemAt(outfmt);
	entry_ref folder;
	get_ref_for_path(files().folder.c_str(), &folder);
	for (auto _ : state) {
		if (view->save(&folder, "out-save") != B_OK)
			state.SkipWithError("save failed");
	}
	state.SetLabel(format != nullptr ? format->mime : "?");
	delete view;
}
// One run per offered format (indexes past the catalogue's end report an error).
BENCHMARK(BM_Save)->DenseRange(0, 9)->Unit(benchmark::kMillisecond);

void BM_LoadJpeg(benchmark::State& state)
{
	tevraview* view = make_view(kResolutions[0]);
	entry_ref photo;
	get_ref_for_path(files().photo.c_str(), &photo);
	for (auto _ : state) {
		view->load(&photo);
		if (view->baseimg == nullptr)
			state.SkipWithError("no image");
	}
	state.SetLabel("4000x3000 JPEG");
	delete view;
}
BENCHMARK(BM_LoadJpeg)->Unit(benchmark::kMillisecond);

// A preview window on the design loaded for a screen of that size.
prevwindow* preview_of(resolution screen)
{
	scrn.Set(0, 0, screen.width - 1, screen.height - 1);
	prevwindow* window = new prevwindow(BRect(10, 30, 1200, 800));
	load(window->preview_view->calview, true, screen);
	return window;
}

// What the preview does after one slider move: the colour changes, the picture is composed
// again and drawn into the window.
void BM_RecomposeAfterSlider(benchmark::State& state)
{
	resolution screen = kResolutions[state.range(0)];
	prevwindow* window = preview_of(screen);
	preview* view = window->preview_view;
	object* month = (object*)obl.ItemAt(0);
	uint32 color = 0;
	BMessage draw(kMsgRedraw);
	for (auto _ : state) {
		month->day_color = color++ & 0xffffff;
		view->MessageReceived(&draw);
	}
	state.SetLabel(label(screen));
	window->Quit();
}
BENCHMARK(BM_RecomposeAfterSlider)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

// One step of dragging a calendar in the preview, at real size (0) and in the fitted view (1):
// only the outline and the handles follow the mouse, whatever the picture's size; compare with
// a composition above.
void BM_DragStep(benchmark::State& state)
{
	resolution screen = kResolutions[state.range(0)];
	prevwindow* window = preview_of(screen);
	preview* view = window->preview_view;
	if (state.range(1) != 0)
		static_cast<BWindow*>(window)->Zoom();
	BMessage draw(kMsgRedraw);
	view->MessageReceived(&draw);
	BRect shown = view->on_screen(((object*)obl.ItemAt(0))->bounds);
	BPoint from(shown.left + 5, shown.top + 5);
	view->MouseDown(from);
	int step = 0;
	for (auto _ : state) {
		step++;
		view->MouseMoved(from + BPoint(step % 40, step % 30), B_INSIDE_VIEW, nullptr);
	}
	view->MouseUp(from);
	state.SetLabel(label(screen) + (state.range(1) != 0 ? " fitted" : " real size"));
	window->Quit();
}
BENCHMARK(BM_DragStep)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMicrosecond);

// The floor's parts: the fastest decode with scaling that Qt offers, and one drawing pass.
void BM_FloorDecodeScale(benchmark::State& state)
{
	for (auto _ : state) {
		QImageReader reader(QString::fromStdString(files().photo));
		reader.setScaledSize(QSize(1920, 1080));
		QImage image = reader.read();
		benchmark::DoNotOptimize(image.bits());
	}
	state.SetLabel("4000x3000 JPEG to 1920x1080");
}
BENCHMARK(BM_FloorDecodeScale)->Unit(benchmark::kMillisecond);

void BM_FloorDrawCalendars(benchmark::State& state)
{
	resolution screen = kResolutions[state.range(0)];
	tevraview* view = make_view(screen);
	load(view, false, screen);
	for (auto _ : state) {
		view->wallbmp->AddChild(view);
		view->draw_cal();
		view->Sync();
		view->wallbmp->RemoveChild(view);
	}
	state.SetLabel(label(screen));
	delete view;
}
BENCHMARK(BM_FloorDrawCalendars)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);


}

namespace {

// The floor's encoder: the quickest PNG encoding known here on one core, rows filtered by their
// left neighbour (which also deflates faster than raw rows) and deflated in one call at ISA-L's
// quickest level, in memory, nothing written.
void BM_FloorPngEncode(benchmark::State& state)
{
	resolution screen = kResolutions[state.range(0)];
	tevraview* view = make_view(screen);
	load(view, true, screen);
	view->create_wallpaper();
	const int width = screen.width, height = screen.height;
	std::vector<uint8_t> raw((size_t)(width * 3 + 1) * height);
	const uint8_t* pixels = (const uint8_t*)view->wallbmp->Bits();
	int32 rowBytes = view->wallbmp->BytesPerRow();
	for (auto _ : state) {
		uint8_t* out = raw.data();
		for (int y = 0; y < height; y++) {
			const uint8_t* in = pixels + (size_t)y * rowBytes;
			*out++ = 1;
			uint8_t left[3] = {0, 0, 0};
			for (int x = 0; x < width; x++, in += 4) {
				const uint8_t rgb[3] = {in[2], in[1], in[0]};
				for (int c = 0; c < 3; c++) {
					*out++ = (uint8_t)(rgb[c] - left[c]);
					left[c] = rgb[c];
				}
			}
		}
		std::vector<uint8_t> level(ISAL_DEF_LVL1_DEFAULT);
		std::vector<uint8_t> packed(raw.size() + raw.size() / 8 + 4096);
		isal_zstream stream;
		isal_deflate_init(&stream);
		stream.level = 1;
		stream.level_buf = level.data();
		stream.level_buf_size = (uint32_t)level.size();
		stream.gzip_flag = IGZIP_ZLIB;
		stream.end_of_stream = 1;
		stream.next_in = raw.data();
		stream.avail_in = (uint32_t)raw.size();
		stream.next_out = packed.data();
		stream.avail_out = (uint32_t)packed.size();
		if (isal_deflate(&stream) != COMP_OK || stream.internal_state.state != ZSTATE_END)
			state.SkipWithError("deflate did not finish");
		benchmark::DoNotOptimize(stream.total_out);
	}
	state.SetLabel(label(screen));
	delete view;
}
BENCHMARK(BM_FloorPngEncode)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

// How large our PNG is next to Qt's writer at its default settings, for the same picture.
void BM_PngSizeAgainstQt(benchmark::State& state)
{
	resolution screen = kResolutions[0];
	bool photo = state.range(0) != 0;
	tevraview* view = make_view(screen);
	load(view, photo, screen);
	view->create_wallpaper();
	QImage picture((const uchar*)view->wallbmp->Bits(), screen.width, screen.height,
		view->wallbmp->BytesPerRow(), QImage::Format_RGB32);
	QByteArray qtBytes;
	for (auto _ : state) {
		QBuffer buffer(&qtBytes);
		buffer.open(QIODevice::WriteOnly);
		QImageWriter(&buffer, "png").write(picture);
	}
	for (int32 i = 0; format_item* format = (format_item*)xlt.ItemAt(i); i++) {
		if (strcmp(format->mime, "image/png") == 0)
			outfmt = i;
	}
	entry_ref folder;
	get_ref_for_path(files().folder.c_str(), &folder);
	view->save(&folder, "size.png");
	struct stat st;
	stat((files().folder + "/size.png").c_str(), &st);
	state.counters["qt_bytes"] = qtBytes.size();
	state.counters["our_bytes"] = st.st_size;
	state.counters["ratio"] = (double)st.st_size / qtBytes.size();
	state.SetLabel(std::string(photo ? "photo" : "colour")
		+ " base: Qt's default PNG writer, timed; sizes as counters");
	delete view;
}
BENCHMARK(BM_PngSizeAgainstQt)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->Iterations(3);

}
