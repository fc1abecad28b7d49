#!/usr/bin/env python3
"""Drives the collectors' page in headless Chromium (through chromedriver):
signs in; reads the overview's count, uploads a file as another client and
waits for the count to grow; downloads the data set from the page's 下载
view; opens a submission, sends it back ("退回") with a note full of markup;
downloads the data set again, which has lost that enterprise; marks its
first finding as checked; sends a change
without the page's token from the page, and one from another origin with the
session's cookie; signs out. Prints what it saw as JSON.

    collect_page.py BASE SIGN_IN_CODE UPLOAD_CODE FILE SUBMISSION_ID [--screenshots FOLDER]
"""
import json
import sys
import tempfile
import urllib.error
import urllib.request

from chromium import browser
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import Select, WebDriverWait

NOTE = '<img src=x onerror="document.title=1">=HYPERLINK("http://x")'


def post(url, body, headers):
    request = urllib.request.Request(url, data=body, headers=headers, method="POST")
    try:
        with urllib.request.urlopen(request, timeout=20) as answer:
            return answer.status
    except urllib.error.HTTPError as refused:
        return refused.code


def text(driver, element_id):
    return driver.find_element(By.ID, element_id).text


# The data set as the page gets it: asked for, waited on while it is made, fetched.
FETCH_DATA = """
const done = arguments[0];
(async () => {
  let answer = await fetch('/collect/api/downloads/data.csv');
  while (answer.status === 202) {
    const job = (await answer.json()).job;
    await new Promise((later) => setTimeout(later, 200));
    answer = await fetch('/collect/api/downloads/data.csv?job=' + job);
  }
  done(answer.status === 200 ? await answer.text() : 'status ' + answer.status);
})();
"""


def data_set(driver, wait):
    """Made through the 下载 view's button first (its progress to the end), then fetched."""
    driver.get(driver.current_url.split("#")[0] + "#downloads")
    wait.until(lambda d: d.find_elements(By.CSS_SELECTOR, "#downloads li button"))
    item = driver.find_elements(By.CSS_SELECTOR, "#downloads li")[0]
    item.find_element(By.TAG_NAME, "button").click()
    wait.until(lambda d: "已生成" in item.find_element(By.TAG_NAME, "span").text)
    return driver.execute_async_script(FETCH_DATA)


def main(argv):
    shots = None
    if "--screenshots" in argv:
        at = argv.index("--screenshots")
        shots = argv[at + 1]
        del argv[at:at + 2]
    base, code, upload_code, upload_file, submission = argv[1:6]
    seen = {}
    with tempfile.TemporaryDirectory() as profile:
        driver = browser(profile)
        wait = WebDriverWait(driver, 30)
        try:
            driver.get(base + "/collect")
            wait.until(lambda d: d.find_element(By.ID, "signin").is_displayed())
            driver.find_element(By.ID, "code").send_keys(code)
            driver.find_element(By.CSS_SELECTOR, "#signin button").click()
            wait.until(lambda d: d.find_elements(By.ID, "count-received"))
            seen["before"] = int(text(driver, "count-received"))
            with open(upload_file, "rb") as f:
                post(base + "/api/v1/submissions", f.read(),
                     {"Authorization": "Bearer " + upload_code, "X-File-Name": "later.dbf"})
            wait.until(lambda d: int(text(d, "count-received")) > seen["before"])
            seen["after"] = int(text(driver, "count-received"))
            wait.until(lambda d: d.find_element(By.ID, "chart").get_attribute("complete") == "true" and
                       d.find_element(By.ID, "chart").is_displayed())
            if shots:
                driver.save_screenshot(shots + "/serve-overview.png")
            driver.set_script_timeout(60)
            before = data_set(driver, wait)

            driver.get(base + "/collect#submission/" + submission)
            wait.until(lambda d: d.find_element(By.ID, "s-answers").find_elements(By.CSS_SELECTOR, "tbody tr"))
            Select(driver.find_element(By.ID, "s-state")).select_by_visible_text("退回")
            driver.find_element(By.ID, "s-note").send_keys(NOTE)
            driver.find_element(By.CSS_SELECTOR, "#s-review button").click()
            wait.until(lambda d: text(d, "s-reviewed").startswith("退回（"))
            seen["state"] = text(driver, "s-reviewed").split("（")[0]
            name = text(driver, "s-title").split("：", 1)[1]
            after = data_set(driver, wait)
            seen["dataSet"] = [name in before, name in after, len(before.splitlines()) - len(after.splitlines())]
            driver.get(base + "/collect#submission/" + submission)
            wait.until(lambda d: d.find_elements(By.CSS_SELECTOR, "#s-findings .check-finding"))
            driver.find_element(By.CSS_SELECTOR, "#s-findings .check-finding").click()
            wait.until(lambda d: d.find_elements(By.CSS_SELECTOR, "#s-findings tr.checked"))
            seen["checked"] = True
            seen["scripts"] = len(driver.find_elements(By.CSS_SELECTOR, "#submission img")) + \
                (1 if driver.title == "1" else 0)
            if shots:
                driver.save_screenshot(shots + "/serve-submission.png")

            seen["tokenless"] = driver.execute_async_script(
                "const done = arguments[0];"
                "fetch('/collect/api/review', {method: 'POST', headers: {'Content-Type': 'application/json'},"
                " body: JSON.stringify({ids: [1], state: 'approved'})}).then((r) => done(r.status));")
            cookie = "; ".join(c["name"] + "=" + c["value"] for c in driver.get_cookies())
            token = driver.execute_script("return csrf;")
            seen["elsewhere"] = post(base + "/collect/api/review", b'{"ids":[1],"state":"approved"}',
                                     {"Cookie": cookie, "X-CSRF-Token": token, "Origin": "http://elsewhere.example",
                                      "Content-Type": "application/json"})

            driver.find_element(By.ID, "signout").click()
            wait.until(lambda d: d.find_element(By.ID, "signin").is_displayed())
            seen["signedOut"] = driver.execute_async_script(
                "const done = arguments[0]; fetch('/collect/api/me').then((r) => done(r.status === 401));")
            print(json.dumps(seen, ensure_ascii=False))
        finally:
            driver.quit()


if __name__ == "__main__":
    main(sys.argv)
