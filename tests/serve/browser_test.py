#!/usr/bin/python3
# browser_test.py - pvrsim's web page in a real headless Chromium: the
# installer's AutoStart question on the page's screen (pixels against the
# golden image), the keyboard's arrows moving its highlight, "ok" clicked on
# the drawn remote, the install finishing (console lines, TAP list, the TV
# picture back), a screenshot saved from the page, the page closed and opened
# again while pvrsim runs on, and the page saying so when pvrsim stops.
#
# Then the update manager as scripts/manager_demo.sh starts it (pvrsim --repo
# serving a repository made by vdtool publish): the query from the options
# page, the notice of the new TAP, its description and its screenshot (pixels
# against their golden images), the package arrived byte for byte.
#
# Prints the latency from each key (the two arrows typed, "ok" clicked) to
# the new screen drawn on the page, as the page measures it, and keeps it in
# OUT/latency.txt.  Screenshots of the page (CI artefacts) go to OUT:
# page_question.png, page_installed.png, page_stopped.png, and of the
# manager: page_manager_news.png, page_manager_description.png,
# page_manager_screenshot.png.
#
# Needs Debian's python3-selenium, python3-pil, chromium and chromium-driver
# (scripts/setup.sh).
import argparse
import base64
import io
import json
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import time
import urllib.request

from PIL import Image
from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync",
                  "--window-size=1280,1150"]
PATIENCE = 60  # seconds any one expected state may take on a loaded machine


class Failure(Exception):
    pass


def wait_for(what, probe, patience=PATIENCE):
    """Polls probe() until it returns a true value; fails naming what was awaited."""
    deadline = time.monotonic() + patience
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure("gave up waiting for " + what)
        time.sleep(0.05)


def start_pvrsim(args, disk, run):
    command = [args.pvrsim, "--serve", "0", "--disk", disk, "--run", run, "--param", "0",
               "--time", "2015-12-31 12:00:00", args.installer]
    process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    line = process.stdout.readline()
    match = re.search(r"http://127\.0\.0\.1:(\d+)/", line)
    if not match:
        process.kill()
        raise Failure("pvrsim did not say where it serves: " + repr(line + process.stdout.read()))
    return process, "http://127.0.0.1:%s/" % match.group(1)


def start_chromium(out):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    profile = os.path.join(out, "chromium-profile")
    shutil.rmtree(profile, ignore_errors=True)
    for flag in CHROMIUM_FLAGS + ["--user-data-dir=" + profile]:
        options.add_argument(flag)
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def canvas_image(driver):
    url = driver.execute_script("return document.getElementById('screen').toDataURL('image/png')")
    return Image.open(io.BytesIO(base64.b64decode(url.split(",", 1)[1]))).convert("RGB")


def differing_pixels(image, golden):
    if image.size != golden.size:
        return image.size[0] * image.size[1]
    a, b = image.tobytes(), golden.tobytes()
    return sum(1 for i in range(0, len(a), 3) if a[i:i + 3] != b[i:i + 3])


def wait_for_screen(driver, golden, name, out):
    """Waits until the page's screen shows the golden image, pixel for pixel."""
    last = {}

    def matches():
        last["image"] = canvas_image(driver)
        return differing_pixels(last["image"], golden) == 0
    try:
        wait_for("the page's screen to show " + name, matches)
    except Failure:
        last["image"].save(os.path.join(out, "wrong_" + name + ".png"))
        raise Failure("the page's screen is not %s: %d pixels differ (see %s)" % (
            name, differing_pixels(last["image"], golden), os.path.join(out, "wrong_" + name + ".png")))


def page_state(driver, expression):
    return driver.execute_script("return " + expression)


def get_json(url):
    with urllib.request.urlopen(url, timeout=10) as response:
        return json.load(response)


def check_remote_has_every_key(driver, base):
    names = {key["name"].lower() for key in get_json(base + "keys")}
    drawn = set(page_state(driver, "[...window.pvrsim.byName.keys()]"))
    buttons = {b.get_attribute("data-key") for b in driver.find_elements(By.CSS_SELECTOR, "#remote .key")}
    missing = names - drawn
    if missing or not buttons or not buttons <= names:
        raise Failure("the remote lacks keys %s (buttons: %s)" % (sorted(missing), sorted(buttons)))
    print("remote: %d buttons for %d key names" % (len(buttons), len(names)))


def answer_question(driver, golden_question, out):
    """The arrows move the highlight to "Yes" and back; then "ok" is clicked."""
    driver.find_element(By.TAG_NAME, "body").send_keys(Keys.ARROW_LEFT)
    wait_for("the highlight to move to Yes",
             lambda: differing_pixels(canvas_image(driver), golden_question) > 1000)
    driver.find_element(By.TAG_NAME, "body").send_keys(Keys.ARROW_RIGHT)
    wait_for_screen(driver, golden_question, "question_no_again", out)
    sent_before = page_state(driver, "window.pvrsim.latencies.length")
    driver.find_element(By.CSS_SELECTOR, '#remote .key[data-key="ok"]').click()
    wait_for("the screen to change after the click",
             lambda: page_state(driver, "window.pvrsim.latencies[%d]" % sent_before))
    return page_state(driver, "window.pvrsim.latencies")


def console_text(driver):
    return driver.find_element(By.ID, "console").text


def check_install_finished(driver, golden_tv, out):
    wait_for("the install's last step on the page's console",
             lambda: "IT_Install step 9" in console_text(driver) and "Launching Vantero V2.1" in console_text(driver))
    def taps_are_the_manager_alone():
        rows = [row.text for row in driver.find_elements(By.CSS_SELECTOR, "#taps tbody tr")]
        return any("/ProgramFiles/Vantero.tap" in row for row in rows) and not any("Setup" in row for row in rows)
    wait_for("the TAP list to show the manager and no installer", taps_are_the_manager_alone)
    wait_for_screen(driver, golden_tv, "tv_picture", out)


def check_saved_screenshot(driver, golden_tv, run):
    driver.find_element(By.ID, "save-screenshot").click()
    text = wait_for("the page to say where the screenshot went",
                    lambda: driver.find_element(By.ID, "saved").text.startswith("Saved ") and
                    driver.find_element(By.ID, "saved").text)
    path = text[len("Saved "):]
    if not path.startswith(os.path.join(run, "screenshots") + "/"):
        raise Failure("the screenshot went outside the run folder: " + path)
    if differing_pixels(Image.open(path).convert("RGB"), golden_tv):
        raise Failure(path + " is not the screen shown")


def check_page_closed_and_opened(driver, base, process):
    """pvrsim runs on without the page; a new page gets the whole state."""
    driver.get("about:blank")
    tick = get_json(base + "state")["tick"]
    wait_for("pvrsim's clock to go on with no page open", lambda: get_json(base + "state")["tick"] > tick + 20)
    if process.poll() is not None:
        raise Failure("pvrsim ended when the page was closed")
    driver.get(base)
    wait_for("the console's history on the new page", lambda: "Launching Vantero Setup V2.1" in console_text(driver))


def check_stop_shown(driver, process):
    process.send_signal(signal.SIGINT)
    banner = wait_for("the page to say that pvrsim stopped",
                      lambda: driver.find_element(By.ID, "banner").is_displayed() and
                      driver.find_element(By.ID, "banner").text)
    if not banner.startswith("pvrsim has stopped: ") or "SIGINT" not in banner:
        raise Failure("unexpected banner: " + banner)
    status = process.wait(timeout=PATIENCE)
    if status != 0:
        raise Failure("pvrsim ended with status %d after SIGINT" % status)
    if not all(not b.is_enabled() for b in driver.find_elements(By.CSS_SELECTOR, "#remote .key")):
        raise Failure("the remote still takes keys after pvrsim stopped")
    return banner


def free_port():
    probe = socket.socket()
    probe.bind(("127.0.0.1", 0))
    port = probe.getsockname()[1]
    probe.close()
    return port


def start_manager_demo(args, run):
    """scripts/manager_demo.sh in its own run folder; the page's address."""
    env = dict(os.environ, BUILD=os.path.abspath(args.build), RUN=run)
    process = subprocess.Popen(["bash", args.manager_demo, "0", str(free_port())], stdout=subprocess.PIPE,
                               stderr=subprocess.STDOUT, text=True, env=env)
    lines = []
    for line in process.stdout:
        lines.append(line)
        match = re.search(r"serving the box on http://127\.0\.0\.1:(\d+)/", line)
        if match:
            return process, "http://127.0.0.1:%s/" % match.group(1)
    process.kill()
    raise Failure("the manager demo did not say where it serves: " + repr("".join(lines)))


def press(driver, key):
    """Clicks a key of the drawn remote and waits for the screen to change."""
    before = canvas_image(driver).tobytes()
    driver.find_element(By.CSS_SELECTOR, '#remote .key[data-key="%s"]' % key).click()
    wait_for("the screen to change after " + key, lambda: canvas_image(driver).tobytes() != before)
    time.sleep(0.5)  # the manager draws a screen in more than one frame


def manager_log(run):
    path = os.path.join(run, "disk", "ProgramFiles", "Settings", "Vantero", "Vantero.log")
    with open(path, encoding="latin-1") as file:
        return file.read()


def check_manager_demo(args, driver, out):
    """Query, the notice of the new TAP, its description and its screenshot."""
    run = os.path.join(out, "manager")
    process, base = start_manager_demo(args, run)
    try:
        driver.get(base)
        wait_for("the manager to start", lambda: "Launching Vantero V2.1" in console_text(driver))
        press(driver, "menu")  # the overview: the manager's own row, then the options
        press(driver, "down")
        press(driver, "ok")
        for _ in range(5):  # down to "Query the server now"
            press(driver, "down")
        press(driver, "ok")
        wait_for("the query to end", lambda: "Query done:" in manager_log(run))
        if "Query done: 1 of 1 packages fetched, 0 failed" not in manager_log(run):
            raise Failure("the query went wrong:\n" + manager_log(run))
        package = os.path.join("ProgramFiles", "Settings", "Vantero", "7E570001.vpd")
        with open(os.path.join(run, "disk", package), "rb") as got, \
                open(os.path.join(run, "repo", "7E570001.vpd"), "rb") as served:
            if got.read() != served.read():
                raise Failure("the package on the disk is not the one the repository serves")
        for keys, name in (([], "manager_news"), (["ok", "green"], "manager_description"),
                           (["exit", "blue"], "manager_screenshot")):
            for key in keys:
                press(driver, key)
            golden_path = os.path.join(args.golden_manager, name + ".png")
            if not os.path.exists(golden_path):  # a new screen: written once, to be looked at
                time.sleep(2)
                canvas_image(driver).save(golden_path)
                raise Failure("no golden image yet: wrote " + golden_path)
            wait_for_screen(driver, Image.open(golden_path).convert("RGB"), name, out)
            driver.save_screenshot(os.path.join(out, "page_" + name + ".png"))
    finally:
        process.send_signal(signal.SIGINT)
        try:
            process.wait(timeout=PATIENCE)
        except subprocess.TimeoutExpired:
            process.kill()


def check_serve_option_errors(args, disk, run):
    """A bad port and a port in use end pvrsim at once, with a message."""
    taken = socket.socket()
    taken.bind(("127.0.0.1", 0))
    taken.listen(1)
    port = taken.getsockname()[1]
    cases = [(["--serve=65536"], 2, "--serve: \"65536\" is not a port number"),
             (["--serve=x"], 2, "--serve: \"x\" is not a port number"),
             (["--serve", str(port)], 1, "cannot listen on 127.0.0.1:%d" % port)]
    try:
        for options, status, says in cases:
            result = subprocess.run([args.pvrsim] + options + ["--disk", disk, "--run", run, args.installer],
                                    capture_output=True, text=True, timeout=PATIENCE)
            if result.returncode != status or says not in result.stderr:
                raise Failure("pvrsim %s: status %d, %r (expected %d, %r)" % (
                    " ".join(options), result.returncode, result.stderr, status, says))
    finally:
        taken.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--pvrsim", required=True)
    parser.add_argument("--installer", required=True)
    parser.add_argument("--golden-question", required=True)
    parser.add_argument("--golden-tv", required=True)
    parser.add_argument("--manager-demo", required=True, help="scripts/manager_demo.sh")
    parser.add_argument("--build", required=True, help="the build folder the demo takes its programs from")
    parser.add_argument("--golden-manager", required=True, help="folder of the manager's screens on the page")
    parser.add_argument("--out", required=True, help="folder for the run and the page's screenshots")
    args = parser.parse_args()
    out = os.path.abspath(args.out)
    disk, run = os.path.join(out, "disk"), os.path.join(out, "run")
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(os.path.join(disk, "ProgramFiles"))
    golden_question = Image.open(args.golden_question).convert("RGB")
    golden_tv = Image.open(args.golden_tv).convert("RGB")

    try:
        check_serve_option_errors(args, disk, run)
    except Failure as failure:
        print("FAILED: %s" % failure)
        return 1
    process, base = start_pvrsim(args, disk, run)
    driver = None
    try:
        driver = start_chromium(out)
        driver.get(base)
        wait_for_screen(driver, golden_question, "question_no", out)
        check_remote_has_every_key(driver, base)
        driver.save_screenshot(os.path.join(out, "page_question.png"))
        latencies = answer_question(driver, golden_question, out)
        check_install_finished(driver, golden_tv, out)
        driver.save_screenshot(os.path.join(out, "page_installed.png"))
        check_saved_screenshot(driver, golden_tv, run)
        check_page_closed_and_opened(driver, base, process)
        banner = check_stop_shown(driver, process)
        driver.save_screenshot(os.path.join(out, "page_stopped.png"))
        check_manager_demo(args, driver, out)
        report = "latency from a key to the new screen drawn on the page: " + ", ".join(
            "%s %.1f ms" % (entry["key"], entry["ms"]) for entry in latencies) + " (\"ok\" clicked on the remote)"
        print(report)
        with open(os.path.join(out, "latency.txt"), "w") as file:
            file.write(report + "\n")
        print("stopped: " + banner)
        print("screenshots of the page: " + ", ".join(
            os.path.join(out, name) for name in ("page_question.png", "page_installed.png", "page_stopped.png",
                                                 "page_manager_news.png", "page_manager_description.png",
                                                 "page_manager_screenshot.png")))
        return 0
    except Failure as failure:
        print("FAILED: %s" % failure)
        if driver:
            driver.save_screenshot(os.path.join(out, "page_failed.png"))
            print("page at the failure: " + os.path.join(out, "page_failed.png"))
        return 1
    finally:
        if driver:
            driver.quit()
        if process.poll() is None:
            process.kill()
        print("pvrsim's output:\n" + process.stdout.read())


if __name__ == "__main__":
    sys.exit(main())
