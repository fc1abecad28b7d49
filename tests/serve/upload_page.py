#!/usr/bin/env python3
"""Opens the upload page in headless Chromium (through chromedriver), picks
the given files, presses "上传" and prints every answer shown, as JSON, once
all have come (a script run from a file's name would leave an alert open,
and the next command would fail). With --screenshot PATH it also saves a picture of the page.

    upload_page.py URL FILE... [--screenshot PATH]
"""
import json
import sys
import tempfile

from chromium import browser
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait


def main(argv):
    screenshot = None
    if "--screenshot" in argv:
        at = argv.index("--screenshot")
        screenshot = argv[at + 1]
        del argv[at:at + 2]
    url, files = argv[1], argv[2:]
    with tempfile.TemporaryDirectory() as profile:
        driver = browser(profile, "900,1100")
        try:
            driver.get(url)
            driver.find_element(By.ID, "files").send_keys("\n".join(files))
            driver.find_element(By.ID, "send").click()
            WebDriverWait(driver, 20).until(
                lambda d: len(d.find_elements(By.CSS_SELECTOR, ".answer.received, .answer.refused")) == len(files))
            answers = [{"name": card.find_element(By.TAG_NAME, "h2").text,
                        "status": card.find_element(By.CLASS_NAME, "status").text,
                        "text": card.text,
                        "images": len(card.find_elements(By.TAG_NAME, "img"))}
                       for card in driver.find_elements(By.CSS_SELECTOR, ".answer")]
            if screenshot:
                driver.save_screenshot(screenshot)
            print(json.dumps(answers, ensure_ascii=False))
        finally:
            driver.quit()


if __name__ == "__main__":
    main(sys.argv)
