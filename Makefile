BUILD_DIR ?= build
DEMO_DIR  := demo
JOBS      ?= $(shell nproc)

.PHONY: all setup build run test bench clean

all: build

setup:
	@./scripts/setup.sh

$(BUILD_DIR)/build.ninja:
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: setup $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

$(DEMO_DIR)/ORBTData.mdb: | build
	mkdir -p $(DEMO_DIR)
	$(BUILD_DIR)/bin/orbenta-createdb --demo $(DEMO_DIR)

run: build $(DEMO_DIR)/ORBTData.mdb
	cd $(DEMO_DIR) && ../$(BUILD_DIR)/bin/orbenta

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	$(BUILD_DIR)/bin/orbenta-bench

clean:
	rm -rf $(BUILD_DIR)
