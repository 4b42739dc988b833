#!/usr/bin/python3
"""The screening page in real browsers (headless Chromium through chromedriver).

Started by tst_e2e_browser, which runs the program on a virtual hybrid and answers on stdin
what this script asks on stdout: "ring NUMBER" rings a call, "status" tells the call's state
and the notes the program holds (as JSON). Exits 0 when every check held.

    screening_browser.py PORT PASSWORD [SCREENSHOT_DIR]
"""
import json
import os
import sys
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

PORT, PASSWORD = int(sys.argv[1]), sys.argv[2]
SHOTS = sys.argv[3] if len(sys.argv) > 3 else ''
URL = f'http://127.0.0.1:{PORT}/'
NUMBER = '0612345678'
DRIVERS = []


def ask(line):
    print(line, flush=True)
    return sys.stdin.readline().strip()


def status():
    return json.loads(ask('status'))


def browser(width=1280, height=900):
    options = webdriver.ChromeOptions()
    options.binary_location = '/usr/bin/chromium'
    for argument in ('--headless=new', '--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage',
                     f'--window-size={width},{height}', '--hide-scrollbars'):
        options.add_argument(argument)
    driver = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)
    DRIVERS.append(driver)
    driver.set_script_timeout(10)
    if width < 500:
        # A headless window is at least 500 pixels wide: a phone's screen is emulated instead.
        driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride',
                               {'width': width, 'height': height, 'deviceScaleFactor': 1, 'mobile': True})
    driver.get(URL)
    return driver


def until(driver, what, timeout=10):
    return WebDriverWait(driver, timeout, poll_frequency=0.05).until(lambda _: what())


def text(driver, element_id):
    return driver.find_element(By.ID, element_id).text


def shown(driver, element_id):
    return driver.find_element(By.ID, element_id).is_displayed()


def log_in(driver, password):
    until(driver, lambda: shown(driver, 'loginForm'))
    field = driver.find_element(By.ID, 'password')
    field.clear()
    field.send_keys(password)
    driver.find_element(By.ID, 'loginButton').click()


def fetch(driver, method, path):
    """A request made by the page's own script, with whatever cookie the browser holds."""
    return driver.execute_async_script(
        'const done = arguments[2];'
        'fetch(arguments[1], {method: arguments[0], headers: {"Content-Type": "application/json"},'
        ' body: arguments[0] === "POST" ? "{}" : undefined}).then(r => done(r.status), e => done(-1));',
        method, path)


def shoot(driver, name):
    if SHOTS:
        driver.save_screenshot(os.path.join(SHOTS, name + '.png'))


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def main():
    producer = browser()
    log_in(producer, 'not the password')
    until(producer, lambda: text(producer, 'loginMessage') != '')
    check(not shown(producer, 'screen'), 'a wrong password opened the page')
    shoot(producer, 'login-desktop')
    # Each failure in a row makes the address wait longer; the first, a second.
    time.sleep(1.2)
    log_in(producer, PASSWORD)
    until(producer, lambda: shown(producer, 'screen'))

    presenter_phone = browser(390, 844)
    log_in(presenter_phone, PASSWORD)
    until(presenter_phone, lambda: shown(presenter_phone, 'screen'))

    check(ask('ring ' + NUMBER) == 'ok', 'no call rang')
    for page in (producer, presenter_phone):
        until(page, lambda: text(page, 'number') == NUMBER and page.find_element(By.ID, 'answer').is_enabled())
    for page in (producer, presenter_phone):
        until(page, lambda: '2' in text(page, 'history'))
    shoot(producer, 'ringing-desktop')
    shoot(presenter_phone, 'ringing-phone')
    ringing_word = text(producer, 'callState')
    check(text(presenter_phone, 'callState') == ringing_word, 'the two pages show different states')
    producer.find_element(By.ID, 'answer').click()
    until(producer, lambda: status()['call'] == 'active')
    for page in (producer, presenter_phone):
        until(page, lambda: page.find_element(By.ID, 'hangup').is_enabled()
              and not page.find_element(By.ID, 'answer').is_enabled())
    until(producer, lambda: text(producer, 'clock') not in ('', '00:00'), timeout=5)

    producer.find_element(By.ID, 'callerName').send_keys('Anna de Vries')
    producer.find_element(By.ID, 'place').send_keys('Zwolle')
    producer.find_element(By.ID, 'topic').send_keys('The new bridge')
    producer.find_element(By.ID, 'readyForAir').click()
    producer.find_element(By.ID, 'saveNotes').click()
    until(producer, lambda: status()['notes'] == {'callerName': 'Anna de Vries', 'place': 'Zwolle',
                                                  'topic': 'The new bridge', 'readyForAir': True})
    until(presenter_phone, lambda: presenter_phone.find_element(By.ID, 'callerName').get_attribute('value')
          == 'Anna de Vries')
    # The presenter reads them in the program's window (the badge in the program's language).
    until(producer, lambda: status()['strip'].endswith(' | Anna de Vries, Zwolle | The new bridge'))
    shoot(producer, 'call-desktop')
    shoot(presenter_phone, 'call-phone')

    stranger = browser()
    until(stranger, lambda: shown(stranger, 'loginForm'))
    check(fetch(stranger, 'GET', '/api/state') == 401, 'a page without the cookie read the state')
    check(fetch(stranger, 'POST', '/api/hangup') == 401, 'a page without the cookie hung up')
    check(status()['call'] == 'active', 'the call ended from a page without the cookie')

    producer.find_element(By.ID, 'hangup').click()
    until(producer, lambda: status()['call'] == 'idle')
    for page in (producer, presenter_phone):
        until(page, lambda: not page.find_element(By.ID, 'hangup').is_enabled())
    producer.find_element(By.ID, 'logout').click()
    until(producer, lambda: shown(producer, 'loginForm'))
    check(fetch(producer, 'GET', '/api/state') == 401, 'the session outlived its logout')


if __name__ == '__main__':
    try:
        main()
    except Exception as error:  # pylint: disable=broad-except
        print(f'FAILED: {type(error).__name__}: {error}', file=sys.stderr, flush=True)
        print('quit', flush=True)
        sys.exit(1)
    finally:
        for open_driver in DRIVERS:
            try:
                open_driver.quit()
            except Exception:  # pylint: disable=broad-except
                pass
    print('quit', flush=True)
