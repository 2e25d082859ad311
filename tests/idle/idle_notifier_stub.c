// A Wayland compositor that offers nothing but a seat and ext-idle-notify-v1, for the tests of
// quorel-idle where no compositor of this system speaks that protocol. It has no input devices:
// SIGUSR1 stands for the user's input, SIGUSR2 turns an idle inhibitor on and off.
//
//   idle_notifier_stub SOCKET_NAME       (in $XDG_RUNTIME_DIR; ends on SIGTERM)
#include <signal.h>
#include <stdbool.h>
#include <stdio.h>
#include <stdlib.h>
#include <wayland-server.h>

#include "ext-idle-notify-v1-server-protocol.h"

struct notification {
  struct wl_resource* resource;
  struct wl_event_source* timer;
  uint32_t timeout;
  bool idle;
  struct wl_list link;
};

static struct wl_list notifications;
static bool inhibited;

static void arm(struct notification* n) {
  n->idle = false;
  wl_event_source_timer_update(n->timer, n->timeout ? (int)n->timeout : 1);
}

static int timer_fired(void* data) {
  struct notification* n = data;
  if (!inhibited && !n->idle) {
    n->idle = true;
    ext_idle_notification_v1_send_idled(n->resource);
  }
  return 0;
}

static void notification_gone(struct wl_resource* resource) {
  struct notification* n = wl_resource_get_user_data(resource);
  wl_event_source_remove(n->timer);
  wl_list_remove(&n->link);
  free(n);
}

static void destroy_request(struct wl_client* client, struct wl_resource* resource) {
  (void)client;
  wl_resource_destroy(resource);
}

static const struct ext_idle_notification_v1_interface notification_requests = {
    .destroy = destroy_request,
};

static void get_idle_notification(struct wl_client* client, struct wl_resource* notifier,
                                  uint32_t id, uint32_t timeout, struct wl_resource* seat) {
  (void)seat;
  struct notification* n = calloc(1, sizeof *n);
  n->resource = wl_resource_create(client, &ext_idle_notification_v1_interface,
                                   wl_resource_get_version(notifier), id);
  n->timeout = timeout;
  n->timer = wl_event_loop_add_timer(wl_display_get_event_loop(wl_client_get_display(client)),
                                     timer_fired, n);
  wl_resource_set_implementation(n->resource, &notification_requests, n, notification_gone);
  wl_list_insert(&notifications, &n->link);
  arm(n);
}

static const struct ext_idle_notifier_v1_interface notifier_requests = {
    .destroy = destroy_request,
    .get_idle_notification = get_idle_notification,
};

static void bind_notifier(struct wl_client* client, void* data, uint32_t version, uint32_t id) {
  (void)data;
  struct wl_resource* resource =
      wl_resource_create(client, &ext_idle_notifier_v1_interface, (int)version, id);
  wl_resource_set_implementation(resource, &notifier_requests, NULL, NULL);
}

// A seat with no devices: the notifier only needs something to name.
static void no_device(struct wl_client* client, struct wl_resource* seat, uint32_t id) {
  (void)client, (void)seat, (void)id;
}

static const struct wl_seat_interface seat_requests = {
    .get_pointer = no_device,
    .get_keyboard = no_device,
    .get_touch = no_device,
};

static void bind_seat(struct wl_client* client, void* data, uint32_t version, uint32_t id) {
  (void)data;
  struct wl_resource* resource = wl_resource_create(client, &wl_seat_interface, (int)version, id);
  wl_resource_set_implementation(resource, &seat_requests, NULL, NULL);
  wl_seat_send_capabilities(resource, 0);
}

static int user_input(int signal, void* data) {
  (void)signal, (void)data;
  struct notification* n;
  wl_list_for_each(n, &notifications, link) {
    if (n->idle) ext_idle_notification_v1_send_resumed(n->resource);
    arm(n);
  }
  return 0;
}

static int toggle_inhibitor(int signal, void* data) {
  (void)signal, (void)data;
  inhibited = !inhibited;
  // Like a compositor's, the idle count starts afresh when the inhibitor goes.
  struct notification* n;
  if (!inhibited) wl_list_for_each(n, &notifications, link) if (!n->idle) arm(n);
  return 0;
}

static int terminate(int signal, void* data) {
  (void)signal;
  wl_display_terminate(data);
  return 0;
}

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: %s SOCKET_NAME\n", argv[0]);
    return 2;
  }
  wl_list_init(&notifications);
  struct wl_display* display = wl_display_create();
  if (wl_display_add_socket(display, argv[1]) != 0) {
    fprintf(stderr, "idle_notifier_stub: cannot listen on %s\n", argv[1]);
    return 1;
  }
  wl_global_create(display, &wl_seat_interface, 1, NULL, bind_seat);
  wl_global_create(display, &ext_idle_notifier_v1_interface, 1, NULL, bind_notifier);
  struct wl_event_loop* loop = wl_display_get_event_loop(display);
  // Signals are taken from the loop (a signalfd): blocked for the rest of the process.
  sigset_t handled;
  sigemptyset(&handled);
  sigaddset(&handled, SIGUSR1);
  sigaddset(&handled, SIGUSR2);
  sigaddset(&handled, SIGTERM);
  sigprocmask(SIG_BLOCK, &handled, NULL);
  wl_event_loop_add_signal(loop, SIGUSR1, user_input, NULL);
  wl_event_loop_add_signal(loop, SIGUSR2, toggle_inhibitor, NULL);
  wl_event_loop_add_signal(loop, SIGTERM, terminate, display);
  printf("ready\n");
  fflush(stdout);
  wl_display_run(display);
  wl_display_destroy_clients(display);
  wl_display_destroy(display);
  return 0;
}
