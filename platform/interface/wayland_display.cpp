#include "screen_layout.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <wayland-client.h>

#include "xdg-output-unstable-v1-client-protocol.h"

namespace {

struct output_state {
	output_layout layout;
	wl_output* output = nullptr;
	zxdg_output_v1* xdg = nullptr;
	int32 mode_width = 0, mode_height = 0;
	int32 transform = WL_OUTPUT_TRANSFORM_NORMAL;
	int32 scale = 1;
	bool has_logical = false;
};

struct client_state {
	wayland_display* result;
	wl_registry* registry = nullptr;
	zxdg_output_manager_v1* xdg_manager = nullptr;
	std::vector<std::unique_ptr<output_state>> outputs;
};

void on_geometry(void* data, wl_output*, int32_t x, int32_t y, int32_t, int32_t, int32_t,
	const char*, const char*, int32_t transform)
{
	output_state* state = (output_state*)data;
	if (!state->has_logical) {
		state->layout.x = x;
		state->layout.y = y;
	}
	state->transform = transform;
}

void on_mode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t)
{
	output_state* state = (output_state*)data;
	if ((flags & WL_OUTPUT_MODE_CURRENT) != 0) {
		state->mode_width = width;
		state->mode_height = height;
	}
}

void on_done(void*, wl_output*)
{
}

void on_scale(void* data, wl_output*, int32_t factor)
{
	((output_state*)data)->scale = factor > 0 ? factor : 1;
}

void on_name(void* data, wl_output*, const char* name)
{
	((output_state*)data)->layout.name = name != nullptr ? name : "";
}

void on_description(void*, wl_output*, const char*)
{
}

const wl_output_listener kOutputListener = {on_geometry, on_mode, on_done, on_scale, on_name,
	on_description};

void on_logical_position(void* data, zxdg_output_v1*, int32_t x, int32_t y)
{
	output_state* state = (output_state*)data;
	state->layout.x = x;
	state->layout.y = y;
	state->has_logical = true;
}

void on_logical_size(void* data, zxdg_output_v1*, int32_t width, int32_t height)
{
	output_state* state = (output_state*)data;
	state->layout.width = width;
	state->layout.height = height;
	state->has_logical = true;
}

void on_xdg_done(void*, zxdg_output_v1*)
{
}

void on_xdg_name(void* data, zxdg_output_v1*, const char* name)
{
	output_state* state = (output_state*)data;
	if (state->layout.name.empty() && name != nullptr)
		state->layout.name = name;
}

void on_xdg_description(void*, zxdg_output_v1*, const char*)
{
}

const zxdg_output_v1_listener kXdgListener = {on_logical_position, on_logical_size, on_xdg_done,
	on_xdg_name, on_xdg_description};

void on_global(void* data, wl_registry* registry, uint32_t id, const char* interface,
	uint32_t version)
{
	client_state* client = (client_state*)data;
	client->result->globals.push_back(interface);
	if (strcmp(interface, wl_output_interface.name) == 0) {
		std::unique_ptr<output_state> state(new output_state);
		// Version 4 names the output; older compositors leave the name to xdg-output.
		state->output = (wl_output*)wl_registry_bind(registry, id, &wl_output_interface,
			version < 4 ? version : 4);
		wl_output_add_listener(state->output, &kOutputListener, state.get());
		client->outputs.push_back(std::move(state));
	} else if (strcmp(interface, zxdg_output_manager_v1_interface.name) == 0) {
		client->xdg_manager = (zxdg_output_manager_v1*)wl_registry_bind(registry, id,
			&zxdg_output_manager_v1_interface, version < 3 ? version : 3);
	}
}

void on_global_remove(void*, wl_registry*, uint32_t)
{
}

const wl_registry_listener kRegistryListener = {on_global, on_global_remove};

// The logical size where the compositor gave none: the mode divided by the whole scale.
void finish_layout(output_state* state)
{
	output_layout& layout = state->layout;
	bool turned = (state->transform & 1) != 0; // 90 and 270 degrees, flipped or not
	layout.pixel_width = turned ? state->mode_height : state->mode_width;
	layout.pixel_height = turned ? state->mode_width : state->mode_height;
	if (layout.width <= 0 || layout.height <= 0) {
		layout.width = layout.pixel_width / state->scale;
		layout.height = layout.pixel_height / state->scale;
	}
}

}

bool wayland_display::offers(const char* interface) const
{
	for (const std::string& global : globals) {
		if (global == interface)
			return true;
	}
	return false;
}

wayland_display read_wayland_display(const char* name)
{
	wayland_display result;
	// libwayland would try wayland-0 where nothing names a display.
	const char* named = getenv("WAYLAND_DISPLAY");
	if (name == nullptr && (named == nullptr || named[0] == '\0'))
		return result;
	wl_display* display = wl_display_connect(name);
	if (display == nullptr)
		return result;
	client_state client;
	client.result = &result;
	client.registry = wl_display_get_registry(display);
	wl_registry_add_listener(client.registry, &kRegistryListener, &client);
	// The globals, then each output's first state, then xdg-output's answers.
	bool answered = wl_display_roundtrip(display) >= 0 && wl_display_roundtrip(display) >= 0;
	if (answered && client.xdg_manager != nullptr) {
		for (auto& state : client.outputs) {
			state->xdg = zxdg_output_manager_v1_get_xdg_output(client.xdg_manager, state->output);
			zxdg_output_v1_add_listener(state->xdg, &kXdgListener, state.get());
		}
		answered = wl_display_roundtrip(display) >= 0;
	}
	result.connected = answered;
	for (auto& state : client.outputs) {
		finish_layout(state.get());
		if (answered && state->layout.pixel_width > 0 && state->layout.pixel_height > 0)
			result.outputs.push_back(state->layout);
		if (state->xdg != nullptr)
			zxdg_output_v1_destroy(state->xdg);
		if (wl_output_get_version(state->output) >= WL_OUTPUT_RELEASE_SINCE_VERSION)
			wl_output_release(state->output);
		else
			wl_output_destroy(state->output);
	}
	if (client.xdg_manager != nullptr)
		zxdg_output_manager_v1_destroy(client.xdg_manager);
	wl_registry_destroy(client.registry);
	wl_display_disconnect(display);
	return result;
}
